#pragma once

#include <QObject>
#include <functional>

#include "base/view.h"

class QWidget;

namespace kv {

// The core's View seam over the application's widgets. A control is found by the object name
// of its top-level window and its own object name; unknown controls are ignored. SetChecked may
// come from another thread (the line lamps): it is carried out on the user-interface thread.
class QtView final : public View {
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

  // The tray icon lives with the main window; it tells the view how to reach it.
  std::function<void(int)> on_tray_picture;
  std::function<void(const QString&)> on_tray_hint;

  // "Window/Control" -> the object, or nullptr.
  static QObject* Find(std::string_view control);
  static QWidget* FindWindow(std::string_view window);

 private:
  static void ApplyChecked(std::string_view control, bool checked);
};

}  // namespace kv
