#include "reports/journal_viewer.h"

#include <cstdio>

#include "base/ini_file.h"
#include "lang/codepage.h"

namespace kv {

std::optional<TextSelection> FindInJournal(std::string_view text_cp1250,
                                           std::string_view needle_utf8, TextSelection current) {
  const std::string needle = Utf8ToCp1250(needle_utf8);
  if (needle.empty() || Cp1250ToUtf8(needle) != needle_utf8) return std::nullopt;
  const size_t from = current.length > 0 ? current.start + current.length : 0;
  if (from > text_cp1250.size()) return std::nullopt;
  const size_t found = text_cp1250.find(needle, from);
  if (found == std::string_view::npos) return std::nullopt;
  return TextSelection{found, needle.size()};
}

std::string NotFoundText(std::string_view message94, std::string_view needle,
                         std::string_view message95) {
  std::string text(message94);
  text += ' ';
  text += needle;
  text += ' ';
  text += message95;
  return text;
}

std::string JournalSearchDate(const std::tm& today) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%02d.%04d", today.tm_mday, today.tm_mon + 1,
                today.tm_year + 1900);
  return text;
}

ViewerGeometry JournalViewerGeometry(const Config& cfg) {
  return {cfg.zurnal_x, cfg.zurnal_y, ClampViewerWidth(cfg.zurnal_with), cfg.zurnal_height};
}

bool StoreJournalViewerGeometry(Config& cfg, IniFile& ini, const ViewerGeometry& geometry) {
  cfg.zurnal_x = geometry.x;
  cfg.zurnal_y = geometry.y;
  cfg.zurnal_with = geometry.width;
  cfg.zurnal_height = geometry.height;
  return WriteJournalViewerGeometry(ini, cfg);
}

}  // namespace kv
