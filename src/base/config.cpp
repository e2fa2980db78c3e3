#include "base/config.h"

#include <cstdio>

#include "base/ini_file.h"
#include "base/user_rights.h"

namespace kv {

namespace {

constexpr const char* kPaymentDefaults[10] = {
    "Hotovos\x9d:", "Platobn\xe1 karta:", "Stravn\xe9 l\xedstky:", "\x8a" "eky:",
    "Slovensk\xe1 koruna:", "Platidlo6:", "Platidlo7:", "Platidlo8:", "Platidlo9:",
    "Platidlo10:"};

std::string Numbered(const char* prefix, int n) { return prefix + std::to_string(n); }

}  // namespace

Config::Config() {
  for (size_t i = 0; i < plat.size(); ++i) plat[i] = kPaymentDefaults[i];
  for (size_t i = 0; i < users.size(); ++i) {
    users[i].name = Numbered("user", static_cast<int>(i));
    users[i].rights.fill(1);
  }
  language_files[0] = "kv4910_sk.lng";
  message_files[0] = "kv4910_sk.msg";
}

const char* DefaultTenderName(size_t index) {
  return index < std::size(kPaymentDefaults) ? kPaymentDefaults[index] : "";
}

std::vector<std::string> ReadLanguageNames(const IniFile& ini) {
  std::vector<std::string> names{"Slovak"};
  for (int i = 1; i <= 9; ++i) {
    std::string name = ini.ReadString("LANGUAGE", Numbered("LNG", i), "");
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

void ReadLanguageSlots(const IniFile& ini, Config& cfg) {
  cfg.language = ini.ReadInteger("LANGUAGE", "default", 0);
  cfg.language_files[0] = ini.ReadString("LANGUAGE", "FILE0", "kv4910_sk.lng");
  cfg.message_files[0] = ini.ReadString("LANGUAGE", "MSG0", "kv4910_sk.msg");
  for (int i = 1; i <= 9; ++i) {
    cfg.language_files[i] = ini.ReadString("LANGUAGE", Numbered("FILE", i), "");
    cfg.message_files[i] = ini.ReadString("LANGUAGE", Numbered("MSG", i), "");
  }
}

void ReadConfig(const IniFile& ini, const std::string& program_dir, Config& cfg,
                ConfigTimeouts& timeouts) {
  cfg.language_names = ReadLanguageNames(ini);

  for (int i = 0; i < 10; ++i) {
    const std::string key = Numbered("plat", i + 1);
    cfg.plat_from_file[i] = ini.HasKey("POKL", key);
    cfg.plat[i] = ini.ReadString("POKL", key, kPaymentDefaults[i]);
  }
  cfg.pokl_path_in = ini.ReadString("POKL", "path_in", "");
  if (cfg.pokl_path_in.empty()) cfg.pokl_path_in = program_dir + "/cennik/cennik.bin";
  cfg.pokl_run = ini.ReadBool("POKL", "pokl_run", false);
  cfg.platidla = ini.ReadBool("POKL", "platidla", true);

  cfg.path_in = ini.ReadString("CONFIG", "path_in", "blocek.txt");
  cfg.path_out = ini.ReadString("CONFIG", "path_out", "zurnal.txt");
  cfg.path_info = ini.ReadString("CONFIG", "path_info", program_dir);
  cfg.port = ini.ReadInteger("CONFIG", "port", -1);
  cfg.err_file = true;
  cfg.ladenie = ini.ReadInteger("CONFIG", "ladenie", 0);
  cfg.copy_bl = ini.ReadInteger("CONFIG", "copy_bl", 0);
  cfg.MSG = ini.ReadInteger("CONFIG", "MSG", 1);
  cfg.delete_leftover = ini.ReadBool("CONFIG", "delete", false);
  cfg.time_info = ini.ReadInteger("CONFIG", "time_info", 7000);
  timeouts.time_write = ini.ReadInteger("CONFIG", "time_write", 5000);
  timeouts.writemulti = ini.ReadInteger("CONFIG", "writemulti", 5000);
  cfg.handshake_wait = timeouts.writemulti;
  timeouts.readtotal = ini.ReadInteger("CONFIG", "readtotal", 2000);
  timeouts.readmulti = ini.ReadInteger("CONFIG", "readmulti", 200);
  timeouts.readinterval = ini.ReadInteger("CONFIG", "readinterval", 500);
  cfg.opozdenie = ini.ReadInteger("CONFIG", "opozdenie", 2000);
  // 0 would tick without pause, a huge or negative value would never tick.
  cfg.delay_file = ClampDelayFile(ini.ReadInteger("CONFIG", "delay_file", 300));
  cfg.dtr_dsr = ini.ReadBool("CONFIG", "dtr_dsr", false);
  cfg.rts_cts = ini.ReadBool("CONFIG", "rts_cts", false);
  cfg.baud = ini.ReadInteger("CONFIG", "baud", 9600);
  cfg.CLOSE_PORT = ini.ReadBool("CONFIG", "CLOSE_PORT", false);
  cfg.UKONCI = ini.ReadBool("CONFIG", "UKONCI", true);
  cfg.synchr_time = ini.ReadInteger("CONFIG", "synchr_time", 0);
  cfg.backup1 = ini.ReadString("CONFIG", "backup1", "");
  cfg.backup2 = ini.ReadString("CONFIG", "backup2", "");
  cfg.backup_date = ini.ReadBool("CONFIG", "backup_date", false);
  cfg.apl_priority = ini.ReadInteger("CONFIG", "apl_priority", 32);
  cfg.obrat_hide = ini.ReadBool("CONFIG", "obrat_hide", false);
  cfg.rozsirene_info = ini.ReadInteger("CONFIG", "rozsirene_info", 0);
  cfg.auto_du = ini.ReadInteger("CONFIG", "auto_du", 0);
  cfg.del_file = ini.ReadInteger("CONFIG", "del_file", 1);

  for (int i = 0; i < 10; ++i) cfg.drawer[i] = ini.ReadInteger("OPEN", std::to_string(i), 0);
  cfg.drawer_idx = ini.ReadInteger("OPEN", "idx", 0);

  for (int u = 0; u < 3; ++u) {
    const std::string section = Numbered("USER", u);
    UserRecord& user = cfg.users[u];
    user.password = ini.ReadString(section, "PWD", "");
    user.name = ini.ReadString(section, "NAME", Numbered("user", u));
    for (const RightInfo& right : kRights)
      user.rights[right.index] = ini.ReadInteger(section, right.key, 1) != 0 ? 1 : 0;
  }

  for (int i = 0; i < 20; ++i) {
    cfg.notify[i].path = ini.ReadString("SPRAVY", Numbered("path", i), "");
    cfg.notify[i].msg = ini.ReadInteger("SPRAVY", Numbered("msg", i), 0);
  }
  cfg.id_manager = ini.ReadString("SPRAVY", "id_manager", "KV4910");
  cfg.id_aplikacia = ini.ReadString("SPRAVY", "id_aplikacia", "KV4910S");
  cfg.spravy = ini.ReadBool("SPRAVY", "spravy", false);

  cfg.zurnal_x = ini.ReadInteger("ZURNAL", "x", 0);
  cfg.zurnal_y = ini.ReadInteger("ZURNAL", "y", 0);
  cfg.zurnal_with = ini.ReadInteger("ZURNAL", "with", 320);
  cfg.zurnal_height = ini.ReadInteger("ZURNAL", "height", 450);

  cfg.kurz = ini.ReadString("MENA", "kurz", "00.0000");
  cfg.mena = ini.ReadInteger("MENA", "mena", 0);
  cfg.zmena = ini.ReadBool("MENA", "zmena", false);
}

int32_t ClampDelayFile(int32_t delay_file) {
  // Compared as unsigned, as the dialog always has: a negative value is a huge one.
  const auto value = static_cast<uint32_t>(delay_file);
  if (value < 100) return 100;
  if (value > 2000) return 2000;
  return delay_file;
}

int32_t PriorityFromChoice(int choice) {
  switch (choice) {
    case 0: return 64;
    case 2: return 128;
    default: return 32;
  }
}

int PriorityChoice(int32_t apl_priority) {
  return apl_priority == 64 ? 0 : apl_priority == 128 ? 2 : 1;
}

std::vector<NotifyEntry> ParseNotifyEntries(const std::vector<std::string>& shown) {
  std::vector<NotifyEntry> entries;
  for (const std::string& line : shown) {
    const size_t close = line.find(')');
    if (line.empty() || line[0] != '(' || close == std::string::npos) continue;
    NotifyEntry entry;
    entry.msg = ParseInt32(line.substr(1, close - 1)).value_or(0);
    size_t start = close + 1;
    if (start < line.size() && line[start] == ' ') ++start;
    entry.path = line.substr(start);
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string ShowNotifyEntry(const NotifyEntry& entry) {
  return "(" + std::to_string(entry.msg) + ") " + entry.path;
}

bool WriteConfig(IniFile& ini, const Config& cfg, const ConfigTimeouts& port_timeouts,
                 const std::vector<NotifyEntry>& entries) {
  bool ok = true;
  auto str = [&](const char* section, const std::string& key, const std::string& value) {
    ok = ini.WriteString(section, key, value) && ok;
  };
  auto num = [&](const char* section, const std::string& key, int32_t value) {
    ok = ini.WriteInteger(section, key, value) && ok;
  };
  // The whole configuration or nothing: one write of the file at the end.
  ini.BeginBatch();

  num("LANGUAGE", "default", cfg.language);

  for (int i = 0; i < 10; ++i) str("POKL", Numbered("plat", i + 1), cfg.plat[i].str());
  str("POKL", "path_in", cfg.pokl_path_in);
  num("POKL", "pokl_run", cfg.pokl_run);
  num("POKL", "platidla", cfg.platidla);

  str("CONFIG", "path_in", cfg.path_in);
  str("CONFIG", "path_out", cfg.path_out);
  str("CONFIG", "path_info", cfg.path_info);
  num("CONFIG", "port", cfg.port);
  num("CONFIG", "err_file", cfg.err_file);
  num("CONFIG", "ladenie", cfg.ladenie);
  num("CONFIG", "copy_bl", cfg.copy_bl);
  num("CONFIG", "MSG", cfg.MSG);
  num("CONFIG", "USB", cfg.USB);
  num("CONFIG", "UKONCI", cfg.UKONCI);
  num("CONFIG", "CLOSE_PORT", cfg.CLOSE_PORT);
  num("CONFIG", "del_file", cfg.del_file);
  num("CONFIG", "auto_du", cfg.auto_du);
  num("CONFIG", "apl_priority", cfg.apl_priority);
  num("CONFIG", "time_info", cfg.time_info);
  num("CONFIG", "writemulti", port_timeouts.writemulti);
  num("CONFIG", "time_write", port_timeouts.time_write);
  num("CONFIG", "readtotal", port_timeouts.readtotal);
  num("CONFIG", "readmulti", port_timeouts.readmulti);
  num("CONFIG", "readinterval", port_timeouts.readinterval);
  num("CONFIG", "opozdenie", cfg.opozdenie);
  num("CONFIG", "delay_file", ClampDelayFile(cfg.delay_file));
  num("CONFIG", "baud", cfg.baud);
  num("CONFIG", "dtr_dsr", cfg.dtr_dsr);
  num("CONFIG", "rts_cts", cfg.rts_cts);
  str("CONFIG", "backup1", cfg.backup1);
  str("CONFIG", "backup2", cfg.backup2);
  num("CONFIG", "backup_date", cfg.backup_date);
  num("CONFIG", "rozsirene_info", cfg.rozsirene_info);
  num("CONFIG", "synchr_time", cfg.synchr_time);

  for (int i = 0; i < 10; ++i) num("OPEN", std::to_string(i), cfg.drawer[i]);
  num("OPEN", "idx", cfg.drawer_idx);

  for (int u = 0; u < 3; ++u) {
    const std::string section = Numbered("USER", u);
    const UserRecord& user = cfg.users[u];
    str(section.c_str(), "PWD", user.password.str());
    str(section.c_str(), "NAME", user.name.str());
    for (const RightInfo& right : kRights)
      num(section.c_str(), right.key, user.rights[right.index]);
  }

  num("SPRAVY", "spravy", cfg.spravy);
  str("SPRAVY", "id_manager", cfg.id_manager);
  str("SPRAVY", "id_aplikacia", cfg.id_aplikacia);
  for (int i = 0; i < 20; ++i) {
    num("SPRAVY", Numbered("msg", i), i);
    str("SPRAVY", Numbered("path", i), "");
  }
  for (size_t i = 0; i < entries.size() && i < 20; ++i) {
    num("SPRAVY", Numbered("msg", static_cast<int>(i)), entries[i].msg);
    str("SPRAVY", Numbered("path", static_cast<int>(i)), entries[i].path);
  }

  num("MENA", "zmena", cfg.zmena);
  return ini.CommitBatch() && ok;
}

bool WriteJournalViewerGeometry(IniFile& ini, const Config& cfg) {
  bool ok = ini.WriteInteger("ZURNAL", "x", cfg.zurnal_x);
  ok = ini.WriteInteger("ZURNAL", "y", cfg.zurnal_y) && ok;
  ok = ini.WriteInteger("ZURNAL", "with", cfg.zurnal_with) && ok;
  return ini.WriteInteger("ZURNAL", "height", cfg.zurnal_height) && ok;
}

bool WriteCurrency(IniFile& ini, const Config& cfg) {
  bool ok = ini.WriteString("MENA", "kurz", cfg.kurz);
  return ini.WriteInteger("MENA", "mena", cfg.mena) && ok;
}

}  // namespace kv
