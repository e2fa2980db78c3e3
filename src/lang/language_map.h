#pragma once

#include <span>
#include <string>

namespace kv {

class IniFile;
class View;

// The three groups of window texts the language file is applied in.
enum class LanguageGroup {
  Settings,  // "FORM_CFG": the settings dialog
  Main,      // "FORM_KV4910": the main window's menu and labels
  Others,    // "FORM_KV4910" copies, monthly and payment windows; "FORM_CASH"
};

// Which property of the target a key sets.
enum class LanguageProperty {
  Text,    // caption of a window or control, text of a label
  Hint,    // tool tip
  Item,    // item `index` of a radio group, page control or status bar
  Cell,    // heading of grid column `index` (row 0)
  Locale,  // locale name of a window ("sk_SK"): its calendar's and numbers' language
};

// One key of the language file and the control it feeds. The built-in text is what the control
// shows when the file or the key is missing; it is written here in UTF-8 and converted to the
// installation code page when it is used.
struct LanguageKey {
  LanguageGroup group;
  const char* section;
  const char* key;
  const char* target;  // "Window/Control", or "Window" for the window's caption
  LanguageProperty property;
  int index;
  const char* builtin;
};

// Every key, in the order the program applies them (a later key on the same target wins).
std::span<const LanguageKey> LanguageKeys();

// The keys of the tenders' built-in names (index 0 ... 9): read where the configuration file
// names no tender, never applied to a control.
inline constexpr const char* kTenderNameSection = "FORM_CASH";
std::string TenderNameKey(size_t index);

// Applies the keys of the switched-on groups, in order, through the view. `file` is the
// language file, or nullptr when there is none; every missing key gives the built-in text.
void ApplyLanguage(const IniFile* file, View& view, bool settings, bool main, bool others);

}  // namespace kv
