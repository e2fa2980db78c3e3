// The language file: every key of the window texts reads from any bytes, and each text
// survives the way to the screen and back (code page to Unicode and back).

#include "base/ini_file.h"
#include "fuzz_support.h"
#include "lang/codepage.h"
#include "lang/language_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = kv::fuzz::Scratch() / "kv4910_sk.lng";
  kv::fuzz::WriteFile(path, kv::fuzz::Bytes(data, size));
  const kv::IniFile file(path);
  // The look-ups ApplyLanguage makes for one group of windows; its built-in texts do not depend
  // on the file.
  const auto group = static_cast<kv::LanguageGroup>(size % 3);
  for (const kv::LanguageKey& key : kv::LanguageKeys()) {
    if (key.group != group) continue;
    const std::string text = file.ReadString(key.section, key.key, "");
    FUZZ_CHECK(kv::Utf8ToCp1250(kv::Cp1250ToUtf8(text)) == text);
  }
  // Typed text that is not UTF-8 becomes '?' without reading past its end.
  (void)kv::Utf8ToCp1250(kv::fuzz::Bytes(data, size));
  return 0;
}
