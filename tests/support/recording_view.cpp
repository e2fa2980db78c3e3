#include "support/recording_view.h"

namespace kv::test {

namespace {
std::string Key(std::string_view control, const char* suffix) {
  return std::string(control) + suffix;
}
}  // namespace

void RecordingView::SetText(std::string_view control, std::string_view text) {
  values_[Key(control, ".text")] = text;
}
void RecordingView::SetHint(std::string_view control, std::string_view hint) {
  values_[Key(control, ".hint")] = hint;
}
void RecordingView::SetItemText(std::string_view control, int index, std::string_view text) {
  values_[std::string(control) + "[" + std::to_string(index) + "].text"] = text;
}
void RecordingView::SetItems(std::string_view control, const std::vector<std::string>& items) {
  items_[std::string(control)] = items;
}
void RecordingView::SetItemIndex(std::string_view control, int index) {
  values_[Key(control, ".index")] = std::to_string(index);
}
void RecordingView::SetCell(std::string_view control, int col, int row, std::string_view text) {
  values_[std::string(control) + "(" + std::to_string(col) + "," + std::to_string(row) + ")"] =
      text;
}
void RecordingView::SetChecked(std::string_view control, bool checked) {
  values_[Key(control, ".checked")] = checked ? "1" : "0";
}
void RecordingView::SetVisible(std::string_view control, bool visible) {
  values_[Key(control, ".visible")] = visible ? "1" : "0";
}
void RecordingView::SetEnabled(std::string_view control, bool enabled) {
  values_[Key(control, ".enabled")] = enabled ? "1" : "0";
}
void RecordingView::ShowWindow(std::string_view window, WindowState state) {
  static const char* const kNames[] = {"hidden", "normal", "minimized", "front"};
  values_[Key(window, ".window")] = kNames[static_cast<int>(state)];
}
void RecordingView::SetTrayPicture(int picture) { values_["tray.picture"] = std::to_string(picture); }
void RecordingView::SetTrayHint(std::string_view hint) { values_["tray.hint"] = hint; }
void RecordingView::SetLocale(std::string_view window, std::string_view locale) {
  values_[std::string(window) + ".locale"] = locale;
}

std::string RecordingView::Get(const std::string& key) const {
  auto it = values_.find(key);
  return it == values_.end() ? "<unset>" : it->second;
}

std::string RecordingView::Cell(std::string_view grid, int col, int row) const {
  return Get(std::string(grid) + "(" + std::to_string(col) + "," + std::to_string(row) + ")");
}

const std::vector<std::string>& RecordingView::Items(const std::string& control) const {
  static const std::vector<std::string> kNone;
  auto it = items_.find(control);
  return it == items_.end() ? kNone : it->second;
}

}  // namespace kv::test
