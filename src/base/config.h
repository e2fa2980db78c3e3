#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/fixed_text.h"
#include "base/ini_file.h"

namespace kv {

class IniFile;

inline constexpr const char* kConfigFileName = "rb4900_cfg.ini";
// The configuration file in the program directory (`program_dir` without a trailing separator).
inline std::string ConfigFilePath(const std::string& program_dir) {
  return program_dir.empty() ? kConfigFileName : program_dir + "/" + kConfigFileName;
}

// Port time-outs as the INI file holds them. They are not part of the configuration record:
// start-up hands them to the serial port, and saving takes them back from it.
struct ConfigTimeouts {
  int32_t time_write = 5000;    // write constant
  int32_t writemulti = 5000;    // write per-byte multiplier, also the handshake wait per byte
  int32_t readtotal = 2000;     // read constant
  int32_t readmulti = 200;      // read per-byte multiplier
  int32_t readinterval = 500;   // read interval
};

struct UserRecord {
  FixedText<20> name;
  FixedText<10> password;
  // XUZ, DUZ, MUZ, COPY, KDU, KMU, CAS, ZAS, K3900, (9 not stored), CEN
  std::array<uint8_t, 11> rights{};
};

// The one rule for a right, for the menu and the HTTP interface alike: granted when its value,
// read from the file as a whole integer, is not 0.
inline bool HasRight(const UserRecord& user, size_t index) {
  return user.rights.at(index) != 0;
}

struct NotifyEntry {
  std::string path;
  int32_t msg = 0;
};

// The currencies the printer can keep its amounts in; `Config::mena` is an index into them.
inline constexpr std::array<const char*, 4> kActiveCurrencies = {"EUR", "SKK", "CZK", "USD"};

// The configuration record: every setting of rb4900_cfg.ini, held for the whole run. Field
// names are the INI keys.
struct Config {
  // CONFIG
  std::string path_in = "blocek.txt";
  std::string path_out = "zurnal.txt";
  std::string path_info;  // default: the program directory
  int32_t port = -1;
  int32_t ladenie = 0;
  int32_t copy_bl = 0;
  int32_t MSG = 1;
  bool delete_leftover = false;  // key "delete"
  int32_t time_info = 7000;
  int32_t opozdenie = 2000;
  int32_t delay_file = 300;
  bool dtr_dsr = false;
  bool rts_cts = false;
  int32_t baud = 9600;
  bool CLOSE_PORT = false;
  bool UKONCI = true;
  int32_t synchr_time = 0;
  std::string backup1;
  std::string backup2;
  bool backup_date = false;
  int32_t apl_priority = 32;
  bool obrat_hide = false;
  int32_t rozsirene_info = 0;
  int32_t auto_du = 0;  // 1 = run a due daily close by itself; other values do not
  int32_t del_file = 1;
  bool err_file = true;  // the error file switch: on at every start whatever the file says
  int32_t USB = 0;       // the USB indicator, always 0
  int32_t handshake_wait = 5000;  // per-byte handshake wait: the port's resulting write multiplier

  // POKL
  std::array<FixedText<32>, 10> plat;
  // Which tender names the file holds; the others are built-in names that follow the language.
  std::array<bool, 10> plat_from_file{};
  std::string pokl_path_in;  // price list file; default: program directory + "/cennik/cennik.bin"
  bool pokl_run = false;
  bool platidla = true;

  // USER0 ... USER2
  std::array<UserRecord, 3> users;

  // OPEN: the drawer command and the drawer type
  std::array<int32_t, 10> drawer{};
  int32_t drawer_idx = 0;

  // SPRAVY
  bool spravy = false;
  std::string id_manager = "KV4910";
  std::string id_aplikacia = "KV4910S";
  std::array<NotifyEntry, 20> notify;

  // ZURNAL: journal viewer geometry
  int32_t zurnal_x = 0;
  int32_t zurnal_y = 0;
  int32_t zurnal_with = 320;
  int32_t zurnal_height = 450;

  // MENA
  std::string kurz = "00.0000";
  int32_t mena = 0;
  bool zmena = false;

  // LANGUAGE
  int32_t language = 0;  // key "default"
  std::array<std::string, 10> language_files;
  std::array<std::string, 10> message_files;
  std::vector<std::string> language_names;  // "Slovak", then every non-empty LNG<n>

  Config();
};

}  // namespace kv

namespace kv {

// Reads every section but the language and message file names (LoadConfig's reading part).
void ReadConfig(const IniFile& ini, const std::string& program_dir, Config& cfg,
                ConfigTimeouts& timeouts);
// LANGUAGE: the language index and the ten language and message file names.
void ReadLanguageSlots(const IniFile& ini, Config& cfg);
// The built-in (Slovak, cp1250) name of tender `index` (0 ... 9), used while neither the
// configuration file nor the language file names it.
const char* DefaultTenderName(size_t index);
// "Slovak", then every non-empty LNG1 ... LNG9 in order.
std::vector<std::string> ReadLanguageNames(const IniFile& ini);

// Writes every key the settings dialog saves, in the dialog's order. `port_timeouts` are the
// serial port's current time-outs; `entries` the notification list as shown, in list order.
// The file is written once, whole; false when it could not be written (it is then as it was).
bool WriteConfig(IniFile& ini, const Config& cfg, const ConfigTimeouts& port_timeouts,
                 const std::vector<NotifyEntry>& entries);
// ZURNAL (journal viewer on close) and MENA kurz/mena (currency button).
bool WriteJournalViewerGeometry(IniFile& ini, const Config& cfg);
bool WriteCurrency(IniFile& ini, const Config& cfg);

// delay_file as read and saved: within 100 ... 2000, compared as unsigned (-1 becomes 2000).
int32_t ClampDelayFile(int32_t delay_file);
// The priority radio group: option 0, 1, 2 -> class 64, 32, 128, and back.
int32_t PriorityFromChoice(int choice);
int PriorityChoice(int32_t apl_priority);
// The notification list shows "(" msg ") " path; saving splits at the ")".
std::vector<NotifyEntry> ParseNotifyEntries(const std::vector<std::string>& shown);
std::string ShowNotifyEntry(const NotifyEntry& entry);

}  // namespace kv
