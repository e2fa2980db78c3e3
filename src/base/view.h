#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kv {

// What the core shows on the windows. Controls are named "Window/Control" with the window's
// object name and the control's component name ("SRB4900/L_dokl", "Dlg_cfg/Btn_open"); the
// window alone ("SRB4900") names the window itself (its caption). Texts are cp1250 bytes; the
// Qt side converts them. A control that does not exist (yet) is ignored.
class View {
 public:
  enum class WindowState { Hidden, Normal, Minimized, Front };

  virtual ~View() = default;

  // Caption of a window, label, button, check box, group box, menu item; text of an edit.
  virtual void SetText(std::string_view control, std::string_view text) = 0;
  virtual void SetHint(std::string_view control, std::string_view hint) = 0;
  // Item `index` (0-based) of a control with parts: radio group item, page caption,
  // status bar panel, list entry.
  virtual void SetItemText(std::string_view control, int index, std::string_view text) = 0;
  // All entries of a list or combo box, and the selected one (-1 = none).
  virtual void SetItems(std::string_view control, const std::vector<std::string>& items) = 0;
  virtual void SetItemIndex(std::string_view control, int index) = 0;
  // Cell of a grid, column and row 0-based.
  virtual void SetCell(std::string_view control, int col, int row, std::string_view text) = 0;
  virtual void SetChecked(std::string_view control, bool checked) = 0;
  virtual void SetVisible(std::string_view control, bool visible) = 0;
  virtual void SetEnabled(std::string_view control, bool enabled) = 0;
  virtual void ShowWindow(std::string_view window, WindowState state) = 0;
  // Tray icon picture (0 = connected, 1 = not connected) and tool tip.
  virtual void SetTrayPicture(int picture) = 0;
  virtual void SetTrayHint(std::string_view hint) = 0;
  // Locale ("sk_SK", "en_GB") of a window and its controls: month and day names, numbers.
  virtual void SetLocale(std::string_view window, std::string_view locale) = 0;
};

}  // namespace kv
