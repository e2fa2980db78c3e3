#pragma once

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "base/config.h"

// The journal viewer's logic: searching the loaded text, the search field's first value and
// the window geometry kept in the ZURNAL section.

namespace kv {

class IniFile;

// A selection in the viewer's text. Positions count characters of the text as loaded (one
// per cp1250 byte, one per line break), which are also the window's character positions.
struct TextSelection {
  size_t start = 0;
  size_t length = 0;
  bool operator==(const TextSelection&) const = default;
};

// BitBtn_dalsiClick: looks for `needle_utf8` (the search field as typed), matching case, from
// the end of `current` when something is selected, else from the top. Empty when the text does
// not occur there (the window then shows NotFoundText and puts the caret at the top, so the
// next search starts from the top again). A search text with a character the code page cannot
// hold, or an empty one, is never found.
std::optional<TextSelection> FindInJournal(std::string_view text_cp1250,
                                           std::string_view needle_utf8, TextSelection current);

// "%s %s %s" of message 94, the search text and message 95 (all cp1250).
std::string NotFoundText(std::string_view message94, std::string_view needle,
                         std::string_view message95);

// The search field on showing the viewer: today as "d.mm.yyyy".
std::string JournalSearchDate(const std::tm& today);

inline constexpr int kMinViewerWidth = 230;
inline int ClampViewerWidth(int width) {
  return width < kMinViewerWidth ? kMinViewerWidth : width;
}

struct ViewerGeometry {
  int x = 0;
  int y = 0;
  int width = 320;
  int height = 450;
  bool operator==(const ViewerGeometry&) const = default;
};

// The geometry the viewer opens with (read from ZURNAL at start), never narrower than 230.
ViewerGeometry JournalViewerGeometry(const Config& cfg);
// On closing: keeps the geometry in `cfg` for this run and writes it to ZURNAL. False when the
// file could not be written (the caller tells the operator; the run keeps the new values).
bool StoreJournalViewerGeometry(Config& cfg, IniFile& ini, const ViewerGeometry& geometry);

}  // namespace kv
