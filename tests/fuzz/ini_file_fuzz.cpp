// The settings file: any bytes in rb4900_cfg.ini read, and a key the settings dialog writes
// reads back as written, while the keys of other sections and of the same section keep their
// values. Every look-up scans the whole file: the whole configuration record is read for every
// 32nd file length only, and files over 1 KiB (a settings file is about that) are skipped.

#include <array>

#include "base/config.h"
#include "base/ini_file.h"
#include "fuzz_support.h"

namespace {

struct Key {
  const char* section;
  const char* key;
};

// Keys the program reads and writes, in several sections, one written key beside another.
constexpr std::array<Key, 9> kKeys = {{{"CONFIG", "port"},
                                       {"CONFIG", "path_in"},
                                       {"LANGUAGE", "default"},
                                       {"SPRAVY", "msg3"},
                                       {"SPRAVY", "path3"},
                                       {"USER2", "CEN"},
                                       {"ZURNAL", "height"},
                                       {"MENA", "kurz"},
                                       {"OPEN", "idx"}}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1024) return 0;
  kv::IniFile ini = kv::IniFile::FromText(kv::fuzz::Bytes(data, size));
  if (size % 32 == 0) {
    kv::Config cfg;
    kv::ConfigTimeouts timeouts;
    kv::ReadConfig(ini, "/program", cfg, timeouts);
    kv::ReadLanguageSlots(ini, cfg);
  }

  std::array<std::string, kKeys.size()> before;
  for (size_t i = 0; i < kKeys.size(); ++i) {
    before[i] = ini.ReadString(kKeys[i].section, kKeys[i].key, "(none)");
    (void)ini.ReadInteger(kKeys[i].section, kKeys[i].key, 0);
  }
  // ParseNotifyEntries takes back what the settings dialog shows.
  const kv::NotifyEntry entry{ini.ReadString("SPRAVY", "path3", ""),
                              ini.ReadInteger("SPRAVY", "msg3", 0)};
  const auto parsed = kv::ParseNotifyEntries({kv::ShowNotifyEntry(entry)});
  FUZZ_CHECK(parsed.size() == 1 && parsed[0].path == entry.path && parsed[0].msg == entry.msg);

  const size_t written = size % kKeys.size();
  const std::string value = std::to_string(size);
  // Without a file behind it the write stays in memory; Text() is what a save writes.
  (void)ini.WriteString(kKeys[written].section, kKeys[written].key, value);
  before[written] = value;

  const kv::IniFile reread = kv::IniFile::FromText(ini.Text());
  for (size_t i = 0; i < kKeys.size(); ++i)
    FUZZ_CHECK(reread.ReadString(kKeys[i].section, kKeys[i].key, "(none)") == before[i]);
  return 0;
}
