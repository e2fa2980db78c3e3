#include <gtest/gtest.h>

#include <filesystem>

#include "lang/codepage.h"
#include "platform/os.h"
#include "support/print_manager_fixture.h"
#include "support/temp_dir.h"
#include "support/test_os.h"

namespace kv {
namespace {

// A print manager object with fakes and KV4910_HOME pointing at a fresh directory. The
// working directory and the environment are put back afterwards.
class Startup : public test::PrintManagerTest {
 protected:
  Startup() : cwd_(std::filesystem::current_path()) {
    test::SetEnv("KV4910_HOME", (home.path() + "/").c_str());
    home.Write("kv4910_sk.msg", "[113]\r\nStarting\r\n[114]\r\n");
  }
  ~Startup() override {
    test::SetEnv("KV4910_HOME", nullptr);
    std::filesystem::current_path(cwd_);
  }

  test::TempDir home;

 private:
  std::filesystem::path cwd_;
};

TEST_F(Startup, FormCreateTakesTheProgramDirectoryFromTheEnvironmentAndLoadsTheMessages) {
  home.Write(kConfigFileName, "[LANGUAGE]\r\nMSG0=own.msg\r\nFILE3=three.lng\r\n");
  home.Write("own.msg", "[1]\r\nown text\r\n[2]\r\n");
  pm.FormCreate("/somewhere/else");
  EXPECT_EQ(pm.program_dir(), home.path());  // trailing separator removed
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(home.path()));
  EXPECT_EQ(pm.config().message_files[0], "own.msg");
  EXPECT_EQ(pm.config().language_files[0], "kv4910_sk.lng");
  EXPECT_EQ(pm.config().language_files[3], "three.lng");
  EXPECT_EQ(pm.Msg(1), "own text");
  EXPECT_EQ(pm.currency_codes()[0], "EUR");
  EXPECT_EQ(pm.currency_codes()[3], "USD");
}

TEST_F(Startup, FormCreateWithoutTheEnvironmentUsesTheProgramsDirectory) {
  test::SetEnv("KV4910_HOME", nullptr);
  test::TempDir exe_dir;
  boxes.Expect("KV4910 file doesn't exists");  // nothing shipped there
  pm.FormCreate(exe_dir.path() + "//");
  EXPECT_EQ(pm.program_dir(), exe_dir.path());
  EXPECT_EQ(boxes.shown().at(0).text, exe_dir / "kv4910_sk.msg");
}

TEST_F(Startup, SequenceShowsTheStateReadsTheSettingsAndTakesTheTitle) {
  home.Write(kConfigFileName, "[CONFIG]\r\nopozdenie=1500\r\n[SPRAVY]\r\nid_aplikacia=POS7\r\n");
  pm.FormCreate("");
  pm.StartupSequence({});

  EXPECT_EQ(view.Get("tray.hint"), "Starting");
  const std::string os_text = OsVersionText(QueryOsVersion(), false);
  EXPECT_EQ(view.Get("SRB4900/StatusBar1[3].text"), os_text);
  EXPECT_EQ(view.Get("SRB4900/StatusBar1.hint"), os_text);
  EXPECT_EQ(view.Get("SRB4900/StatusBar1[0].text"), "1.1.0.4");
  EXPECT_EQ(pm.startup().version_text, "1.1.0.4");
  EXPECT_EQ(pm.os_version().major, QueryOsVersion().major);
  EXPECT_TRUE(pm.startup().first_tick);
  EXPECT_EQ(view.Text("SRB4900/Label_priority"), "NORMAL");  // the settings were read
  EXPECT_EQ(shell.titles, std::vector<std::string>{"POS7"});
  EXPECT_GE(clock.slept(), 1500u);
  EXPECT_LE(clock.slept(), 1510u);
  EXPECT_EQ(shell.quit_requests, 0);
}

TEST_F(Startup, StartupDelayDefaultsToTwoSecondsAndANegativeOneIsNone) {
  pm.FormCreate("");
  pm.StartupSequence({});
  EXPECT_GE(clock.slept(), 2000u);
  EXPECT_LE(clock.slept(), 2010u);
  EXPECT_EQ(shell.titles, std::vector<std::string>{"KV4910S"});

  home.Write(kConfigFileName, "[CONFIG]\r\nopozdenie=-5\r\n");
  const uint64_t before = clock.slept();
  pm.StartupLoadSettings();
  EXPECT_EQ(clock.slept(), before);
}

TEST_F(Startup, OnlyTheTwoExactSpellingsOfTheSwitchKeepTheWindowShown) {
  struct Case {
    std::vector<std::string> args;
    bool no_hide;
  } cases[] = {{{}, false},          {{"/nohide"}, true}, {{"x", "/NOHIDE"}, true},
               {{"/NoHide"}, false}, {{"nohide"}, false}, {{"/nohide "}, false},
               {{"-nohide"}, false}};
  for (const Case& c : cases) {
    pm.startup().no_hide = false;
    pm.StartupReadCommandLine(c.args);
    EXPECT_EQ(pm.startup().no_hide, c.no_hide) << (c.args.empty() ? "" : c.args.back());
  }
}

}  // namespace
}  // namespace kv
