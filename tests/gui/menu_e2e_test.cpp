// The program's windows started as the program starts them, connected to kv4910-sim on a
// pseudo-terminal, with the operator working the command menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <filesystem>

#include "app/application.h"
#include "app/tray_menu.h"
#include "support/app_home.h"
#include "support/child_process.h"
#include "support/program_home.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using test::BuildProgram;
using test::ChildProcess;
using test::ReadFile;

using MenuE2E = test::AppInTempHome;

TEST_F(MenuE2E, XReportFromTheMenuPrintsOnTheSimulatorsPaper) {
  ChildProcess sim(BuildProgram("kv4910-sim"), {"--paper", home / "paper.txt"});
  const std::string pty = sim.ReadLine(5000).value_or("");
  ASSERT_FALSE(pty.empty()) << "kv4910-sim did not start";

  test::PrepareProgramHome(
      home, "[CONFIG]\r\nport=0\r\nopozdenie=0\r\n[SPRAVY]\r\nid_aplikacia=MENUTEST\r\n");
  test::ScopedEnv sockets("KV4910_RUNTIME_DIR", home.path().c_str());
  test::ScopedEnv ports("KV4910_PORTS", pty.c_str());

  StartApp();
  ASSERT_TRUE(app->FinishStartup());
  ASSERT_EQ(app->print_manager().link().device_ready(), 1);

  TrayMenu& menu = app->tray_menu();
  emit menu.menu().aboutToShow();
  ASSERT_TRUE(menu.Item("popXUZ")->isEnabled());
  menu.Item("popXUZ")->trigger();
  EXPECT_TRUE(test::WaitFor(
      [&] { return ReadFile(home / "paper.txt").find("X-UZAVIERKA") != std::string::npos; }, 5000))
      << ReadFile(home / "paper.txt");
}

}  // namespace
}  // namespace kv
