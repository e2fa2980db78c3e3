#include "core/command_line_options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

struct Outcome {
  std::optional<int> code;
  std::string out, err;
};

Outcome RunOptions(const std::vector<std::string>& args,
                   const std::string& exe = "/usr/bin/kv4910") {
  std::ostringstream out, err;
  Outcome run;
  run.code = RunCommandLineOption(args, {"1.2.3", exe}, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

TEST(CommandLineOptions, VersionShowsThePackageAndTheProgramsOwnVersion) {
  const Outcome run = RunOptions({"--version"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, "kv4910 1.2.3 (program version 1.1.0.4)\n");
}

TEST(CommandLineOptions, WithoutThemThePrintManagerStarts) {
  EXPECT_EQ(RunOptions({}).code, std::nullopt);
  EXPECT_EQ(RunOptions({"/nohide"}).code, std::nullopt);
}

TEST(CommandLineOptions, AutostartWritesAndRemovesTheUsersSessionEntry) {
  test::TempDir config;
  const test::ScopedEnv xdg("XDG_CONFIG_HOME", config.path().c_str());
  const std::string entry = config / "autostart/kv4910.desktop";

  Outcome run = RunOptions({"--autostart", "on"}, "/opt/shop tills/kv4910");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "Autostart on: " + entry + "\n");
  EXPECT_EQ(test::ReadFile(entry),
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=KV4910 print manager\n"
            "Comment=Prints the point-of-sale program's receipts on the KV4910 fiscal printer\n"
            "Exec=\"/opt/shop tills/kv4910\"\n"
            "Icon=kv4910\n"
            "Terminal=false\n"
            "X-GNOME-Autostart-enabled=true\n");

  run = RunOptions({"--autostart", "off"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_EQ(RunOptions({"--autostart", "off"}).code, 0);  // already off
}

TEST(CommandLineOptions, AutostartWithoutOnOrOffIsAUsageError) {
  for (const auto& args :
       {std::vector<std::string>{"--autostart"}, std::vector<std::string>{"--autostart", "yes"}}) {
    const Outcome run = RunOptions(args);
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.err.rfind("kv4910: --autostart takes on or off\nUsage: kv4910", 0), 0u)
        << run.err;
  }
}

TEST(CommandLineOptions, ExecOfAPathWithReservedCharactersIsEscaped) {
  test::TempDir config;
  const test::ScopedEnv xdg("XDG_CONFIG_HOME", config.path().c_str());
  ASSERT_EQ(RunOptions({"--autostart", "on"}, "/opt/a\"b$c\\d%e/kv4910").code, 0);
  const std::string text = test::ReadFile(config / "autostart/kv4910.desktop");
  EXPECT_NE(text.find("Exec=\"/opt/a\\\\\"b\\\\$c\\\\\\\\d%%e/kv4910\"\n"), std::string::npos)
      << text;
}

}  // namespace
}  // namespace kv
