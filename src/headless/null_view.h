#pragma once

#include "base/view.h"

namespace kv {

// The view of a program without windows: what the core would show goes nowhere. What matters
// to whoever runs it (boxes, the error file, the result files) reaches them by other ways.
class NullView final : public View {
 public:
  void SetText(std::string_view, std::string_view) override {}
  void SetHint(std::string_view, std::string_view) override {}
  void SetItemText(std::string_view, int, std::string_view) override {}
  void SetItems(std::string_view, const std::vector<std::string>&) override {}
  void SetItemIndex(std::string_view, int) override {}
  void SetCell(std::string_view, int, int, std::string_view) override {}
  void SetChecked(std::string_view, bool) override {}
  void SetVisible(std::string_view, bool) override {}
  void SetEnabled(std::string_view, bool) override {}
  void ShowWindow(std::string_view, WindowState) override {}
  void SetTrayPicture(int) override {}
  void SetTrayHint(std::string_view) override {}
  void SetLocale(std::string_view, std::string_view) override {}
};

}  // namespace kv
