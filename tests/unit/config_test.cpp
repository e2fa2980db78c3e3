#include "base/config.h"

#include <gtest/gtest.h>

#include "base/ini_file.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

struct Loaded {
  Config cfg;
  ConfigTimeouts timeouts;
};

Loaded Load(const test::TempDir& dir) {
  Loaded loaded;
  IniFile ini(dir / kConfigFileName);
  ReadConfig(ini, dir.path(), loaded.cfg, loaded.timeouts);
  ReadLanguageSlots(ini, loaded.cfg);
  return loaded;
}

TEST(Config, MissingFileGivesEveryDefault) {
  test::TempDir dir;
  const Loaded l = Load(dir);
  const Config& c = l.cfg;
  EXPECT_EQ(c.path_in, "blocek.txt");
  EXPECT_EQ(c.path_out, "zurnal.txt");
  EXPECT_EQ(c.path_info, dir.path());
  EXPECT_EQ(c.port, -1);
  EXPECT_EQ(c.MSG, 1);
  EXPECT_EQ(c.time_info, 7000);
  EXPECT_EQ(l.timeouts.time_write, 5000);
  EXPECT_EQ(l.timeouts.writemulti, 5000);
  EXPECT_EQ(l.timeouts.readtotal, 2000);
  EXPECT_EQ(l.timeouts.readmulti, 200);
  EXPECT_EQ(l.timeouts.readinterval, 500);
  EXPECT_EQ(c.handshake_wait, 5000);
  EXPECT_EQ(c.opozdenie, 2000);
  EXPECT_EQ(c.delay_file, 300);
  EXPECT_EQ(c.baud, 9600);
  EXPECT_TRUE(c.UKONCI);
  EXPECT_FALSE(c.CLOSE_PORT);
  EXPECT_EQ(c.apl_priority, 32);
  EXPECT_EQ(c.del_file, 1);
  EXPECT_EQ(c.plat[0], "Hotovos\x9d:");
  EXPECT_EQ(c.plat[3], "\x8a" "eky:");
  EXPECT_EQ(c.plat[9], "Platidlo10:");
  EXPECT_EQ(c.pokl_path_in, dir.path() + "/cennik/cennik.bin");
  EXPECT_TRUE(c.platidla);
  EXPECT_EQ(c.users[2].name, "user2");
  EXPECT_EQ(c.users[0].rights[10], 1);
  EXPECT_EQ(c.id_manager, "KV4910");
  EXPECT_EQ(c.id_aplikacia, "KV4910S");
  EXPECT_EQ(c.zurnal_with, 320);
  EXPECT_EQ(c.zurnal_height, 450);
  EXPECT_EQ(c.kurz, "00.0000");
  EXPECT_EQ(c.language_files[0], "kv4910_sk.lng");
  EXPECT_EQ(c.message_files[0], "kv4910_sk.msg");
  EXPECT_EQ(c.language_files[1], "");
  EXPECT_EQ(c.language_names, (std::vector<std::string>{"Slovak"}));
}

TEST(Config, EmptyPriceListPathGivesTheDefaultAndTheErrorFileIsAlwaysOn) {
  test::TempDir dir;
  dir.Write(kConfigFileName, "[POKL]\npath_in=\n[CONFIG]\nerr_file=0\nwritemulti=1234\n");
  const Loaded l = Load(dir);
  EXPECT_EQ(l.cfg.pokl_path_in, dir.path() + "/cennik/cennik.bin");
  EXPECT_TRUE(l.cfg.err_file);
  EXPECT_EQ(l.cfg.handshake_wait, 1234);
}

TEST(Config, TextsLongerThanTheirFieldsAreCut) {
  test::TempDir dir;
  dir.Write(kConfigFileName,
            "[POKL]\nplat1=" + std::string(40, 'p') + "\n[USER1]\nNAME=" + std::string(25, 'n') +
                "\nPWD=0123456789abc\nCEN=0\nK3900=0\n");
  const Loaded l = Load(dir);
  EXPECT_EQ(l.cfg.plat[0].str(), std::string(31, 'p'));
  EXPECT_EQ(l.cfg.users[1].name.str(), std::string(19, 'n'));
  EXPECT_EQ(l.cfg.users[1].password.str(), "012345678");
  EXPECT_EQ(l.cfg.users[1].rights[10], 0);  // CEN is right 10
  EXPECT_EQ(l.cfg.users[1].rights[8], 0);   // K3900 is right 8
  EXPECT_EQ(l.cfg.users[1].rights[9], 1);   // right 9 is not stored
}

TEST(Config, LanguageListSkipsEmptyNames) {
  test::TempDir dir;
  dir.Write(kConfigFileName, "[LANGUAGE]\nLNG1=\nLNG2=English\nLNG4=Deutsch\nFILE1=en.lng\n");
  const Loaded l = Load(dir);
  EXPECT_EQ(l.cfg.language_names, (std::vector<std::string>{"Slovak", "English", "Deutsch"}));
  EXPECT_EQ(l.cfg.language_files[1], "en.lng");
}

TEST(ConfigSave, DelayFileIsClampedAsUnsigned) {
  EXPECT_EQ(ClampDelayFile(50), 100);
  EXPECT_EQ(ClampDelayFile(5000), 2000);
  EXPECT_EQ(ClampDelayFile(-1), 2000);
  EXPECT_EQ(ClampDelayFile(100), 100);
  EXPECT_EQ(ClampDelayFile(2000), 2000);
  EXPECT_EQ(ClampDelayFile(750), 750);

  // A hand-written value is clamped as it is read: 0 would spin, -1 would never tick.
  test::TempDir dir;
  for (const auto& [text, expected] : {std::pair{"0", 100}, {"-1", 2000}, {"2147483647", 2000}}) {
    dir.Write(kConfigFileName, std::string("[CONFIG]\ndelay_file=") + text + "\n");
    EXPECT_EQ(Load(dir).cfg.delay_file, expected) << text;
  }
}

TEST(ConfigSave, NotificationPairsAreResetBeforeTheEntries) {
  test::TempDir dir;
  std::string old = "[SPRAVY]\n";
  for (int i = 0; i < 20; ++i)
    old += "path" + std::to_string(i) + "=old" + std::to_string(i) + "\nmsg" + std::to_string(i) +
           "=77\n";
  dir.Write(kConfigFileName, old);
  Loaded l = Load(dir);
  const auto entries = ParseNotifyEntries({"(1025) c:\\pos\\a.txt", "(7) b.txt", "(3)c.txt"});
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].msg, 1025);
  EXPECT_EQ(entries[0].path, "c:\\pos\\a.txt");
  EXPECT_EQ(entries[2].path, "c.txt");
  EXPECT_EQ(ShowNotifyEntry(entries[1]), "(7) b.txt");

  IniFile ini(dir / kConfigFileName);
  ASSERT_TRUE(WriteConfig(ini, l.cfg, l.timeouts, entries));
  const Loaded after = Load(dir);
  EXPECT_EQ(after.cfg.notify[0].msg, 1025);
  EXPECT_EQ(after.cfg.notify[1].path, "b.txt");
  for (int i = 3; i < 20; ++i) {
    EXPECT_EQ(after.cfg.notify[i].msg, i);
    EXPECT_EQ(after.cfg.notify[i].path, "");
  }
}

TEST(ConfigSave, FirstSaveWritesTheKeysInDialogOrder) {
  test::TempDir dir;
  Config cfg;
  cfg.path_info = dir.path();
  ConfigTimeouts timeouts;
  IniFile ini(dir / "RB4900_cfg.ini");
  ASSERT_TRUE(WriteConfig(ini, cfg, timeouts, {}));
  const std::string text = dir.Read("RB4900_cfg.ini");

  // Section order and the key order inside CONFIG as the dialog writes them.
  const char* order[] = {"[LANGUAGE]\ndefault=0\n[POKL]\nplat1=",
                         "plat10=Platidlo10:\npath_in=\npokl_run=0\nplatidla=1\n[CONFIG]\n",
                         "path_in=blocek.txt\npath_out=zurnal.txt\npath_info=",
                         "port=-1\nerr_file=1\nladenie=0\ncopy_bl=0\nMSG=1\nUSB=0\nUKONCI=1\n"
                         "CLOSE_PORT=0\ndel_file=1\nauto_du=0\napl_priority=32\ntime_info=7000\n"
                         "writemulti=5000\ntime_write=5000\nreadtotal=2000\nreadmulti=200\n"
                         "readinterval=500\nopozdenie=2000\ndelay_file=300\nbaud=9600\n"
                         "dtr_dsr=0\nrts_cts=0\nbackup1=\nbackup2=\nbackup_date=0\n"
                         "rozsirene_info=0\nsynchr_time=0\n[OPEN]\n0=0\n",
                         "9=0\nidx=0\n[USER0]\nPWD=\nNAME=user0\nXUZ=1\nDUZ=1\nMUZ=1\nCOPY=1\nKDU=1\n"
                         "KMU=1\nCAS=1\nZAS=1\nK3900=1\nCEN=1\n[USER1]\n",
                         "[USER2]\n",
                         "[SPRAVY]\nspravy=0\nid_manager=KV4910\nid_aplikacia=KV4910S\nmsg0=0\n"
                         "path0=\nmsg1=1\npath1=\n",
                         "msg19=19\npath19=\n[MENA]\nzmena=0\n"};
  size_t at = 0;
  for (const char* piece : order) {
    const size_t found = text.find(piece, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << piece;
    at = found + 1;
  }
  EXPECT_EQ(text.find("[ZURNAL]"), std::string::npos);  // not written by the dialog
  EXPECT_EQ(text.find("delete="), std::string::npos);
  EXPECT_EQ(text.find("obrat_hide="), std::string::npos);
}

TEST(ConfigSave, ValuesWrittenDuringARunAreReadBackAtTheNextStart) {
  test::TempDir dir;
  dir.Write(kConfigFileName, "; shop settings\n[CONFIG]\nport=2\nmy_own_key=keep\n");
  Loaded l = Load(dir);
  l.cfg.zurnal_x = 40;
  l.cfg.zurnal_y = 50;
  l.cfg.zurnal_with = 640;
  l.cfg.zurnal_height = 480;
  l.cfg.kurz = "30.1260";
  l.cfg.mena = 1;
  IniFile ini(dir / kConfigFileName);
  ASSERT_TRUE(WriteJournalViewerGeometry(ini, l.cfg));
  ASSERT_TRUE(WriteCurrency(ini, l.cfg));
  ASSERT_TRUE(WriteConfig(ini, l.cfg, l.timeouts, {}));

  const Loaded next = Load(dir);
  EXPECT_EQ(next.cfg.zurnal_x, 40);
  EXPECT_EQ(next.cfg.zurnal_y, 50);
  EXPECT_EQ(next.cfg.zurnal_with, 640);
  EXPECT_EQ(next.cfg.zurnal_height, 480);
  EXPECT_EQ(next.cfg.kurz, "30.1260");
  EXPECT_EQ(next.cfg.mena, 1);
  EXPECT_EQ(next.cfg.port, 2);
  const std::string text = dir.Read(kConfigFileName);
  EXPECT_EQ(text.rfind("; shop settings\n[CONFIG]\nport=2\nmy_own_key=keep\n", 0), 0u);
}

TEST(ConfigSave, PriorityChoiceMapsToClasses) {
  EXPECT_EQ(PriorityFromChoice(0), 64);
  EXPECT_EQ(PriorityFromChoice(1), 32);
  EXPECT_EQ(PriorityFromChoice(2), 128);
  EXPECT_EQ(PriorityChoice(64), 0);
  EXPECT_EQ(PriorityChoice(128), 2);
  EXPECT_EQ(PriorityChoice(5), 1);
}

}  // namespace
}  // namespace kv
