// The language file: every key of the window texts reads from any bytes, and each text
// survives the way to the screen and back (code page to Unicode and back).

#include <algorithm>

#include "base/ini_file.h"
#include "fuzz_support.h"
#include "lang/codepage.h"
#include "lang/language_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kv::IniFile file = kv::IniFile::FromText(kv::fuzz::Bytes(data, size));
  // The look-ups ApplyLanguage makes (its built-in texts do not depend on the file); every
  // look-up scans the whole file, so each input tries a sixteenth of the keys, by its length.
  const auto keys = kv::LanguageKeys();
  for (size_t i = size % 16; i < keys.size(); i += 16) {
    const kv::LanguageKey& key = keys[i];
    const std::string text = file.ReadString(key.section, key.key, "");
    FUZZ_CHECK(kv::Utf8ToCp1250(kv::Cp1250ToUtf8(text)) == text);
  }
  // Typed text that is not UTF-8 becomes '?' without reading past its end.
  (void)kv::Utf8ToCp1250(kv::fuzz::Bytes(data, std::min<size_t>(size, 64)));
  return 0;
}
