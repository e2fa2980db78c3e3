#include <gtest/gtest.h>

#include "core/print_manager.h"
#include "platform/os.h"
#include "support/fake_clock.h"
#include "support/fake_timer.h"
#include "support/recording_view.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"
#include "support/test_os.h"

namespace kv {
namespace {

struct Fixture {
  test::FakeClock clock;
  test::ScriptedBoxes boxes;
  test::RecordingView view;
  test::FakeTimer prmgr, msg;
  TSRB4900 manager{{clock, boxes, view, prmgr, msg}};
};

TEST(Priority, LowClassLowersTheProcessAndShowsLow) {
  test::TempDir dir;
  dir.Write("rb4900_cfg.ini", "[CONFIG]\napl_priority=64\n");
  Fixture f;
  f.manager.SetProgramDir(dir.path());
  ASSERT_TRUE(f.manager.LoadConfig());
  EXPECT_EQ(f.manager.priority_label(), "LOW");
  EXPECT_EQ(f.view.Text("SRB4900/Label_priority"), "LOW");
  EXPECT_EQ(test::ProcessPriorityClass(), 64);
  EXPECT_EQ(f.view.Get("SRB4900/Label_USB.visible"), "0");
}

TEST(Priority, UnknownClassIsRefusedAndShowsNormal) {
  test::TempDir dir;
  dir.Write("rb4900_cfg.ini", "[CONFIG]\napl_priority=7\n");
  Fixture f;
  f.manager.SetProgramDir(dir.path());
  f.manager.LoadConfig();
  EXPECT_EQ(f.manager.priority_label(), "NORMAL");
  EXPECT_FALSE(SetProcessPriorityClass(7));
}

TEST(OsVersion, NamesOnlyWindowsVersionsItKnows) {
  EXPECT_EQ(OsVersionText({5, 1, 2600}, true), "Windows XP 5.1.2600");
  EXPECT_EQ(OsVersionText({5, 0, 2195}, true), "Windows 2000 5.0.2195");
  EXPECT_EQ(OsVersionText({5, 2, 3790}, true), "Windows Server 2003 5.2.3790");
  EXPECT_EQ(OsVersionText({6, 0, 6000}, true), "Windows Vista 6.0.6000");
  EXPECT_EQ(OsVersionText({4, 10, 1998}, true), "Windows 98(95) 4.10.1998");
  EXPECT_EQ(OsVersionText({10, 0, 19045}, true), "10.0.19045");
  EXPECT_EQ(OsVersionText({6, 1, 42}, false), "6.1.42");
}

TEST(OsVersion, LinuxReportsTheKernelRelease) {
  const OsVersion v = QueryOsVersion();
  EXPECT_GE(v.major, 3);  // any kernel this program runs on
}

}  // namespace
}  // namespace kv
