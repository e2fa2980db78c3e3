#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/view.h"

namespace kv::test {

// Remembers the last value the core gave every property, keyed as
// "control.text", "control.hint", "control[3].text", "grid(1,2)", "control.checked" ...
class RecordingView final : public View {
 public:
  void SetText(std::string_view control, std::string_view text) override;
  void SetHint(std::string_view control, std::string_view hint) override;
  void SetItemText(std::string_view control, int index, std::string_view text) override;
  void SetItems(std::string_view control, const std::vector<std::string>& items) override;
  void SetItemIndex(std::string_view control, int index) override;
  void SetCell(std::string_view control, int col, int row, std::string_view text) override;
  void SetChecked(std::string_view control, bool checked) override;
  void SetVisible(std::string_view control, bool visible) override;
  void SetEnabled(std::string_view control, bool enabled) override;
  void ShowWindow(std::string_view window, WindowState state) override;
  void SetTrayPicture(int picture) override;
  void SetTrayHint(std::string_view hint) override;
  void SetLocale(std::string_view window, std::string_view locale) override;

  // The recorded value, or "<unset>" when the core never set it.
  std::string Get(const std::string& key) const;
  bool Has(const std::string& key) const { return values_.count(key) != 0; }
  std::string Text(std::string_view control) const { return Get(std::string(control) + ".text"); }
  std::string Cell(std::string_view grid, int col, int row) const;
  const std::vector<std::string>& Items(const std::string& control) const;
  const std::map<std::string, std::string>& values() const { return values_; }

 private:
  std::map<std::string, std::string> values_;
  std::map<std::string, std::vector<std::string>> items_;
};

}  // namespace kv::test
