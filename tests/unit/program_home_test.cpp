#include "platform/program_home.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempDir;

// An installed layout under `root`: root/bin for the program, root/share/kv4910 for the shipped
// files (a language, a message and the default settings file, and a sample receipt).
void ShipFiles(const TempDir& root) {
  fs::create_directories(root / "bin");
  fs::create_directories(root / "share/kv4910/samples");
  root.Write("share/kv4910/kv4910_sk.lng", "[SRB4900]\r\n");
  root.Write("share/kv4910/kv4910_sk.msg", "[1]\r\nshipped one\r\n");
  root.Write("share/kv4910/rb4900_cfg.ini", "; shipped\n[CONFIG]\nport=-1\n");
  root.Write("share/kv4910/samples/receipt.txt", "receipt");
}

TEST(ProgramHome, ChoiceFollowsTheEnvironmentAndTheLayout) {
  TempDir root;
  ShipFiles(root);
  TempDir build;
  const ScopedEnv no_forced("KV4910_HOME", nullptr);
  const ScopedEnv home("HOME", "/home/till");

  {  // installed: the per-user directory under XDG_DATA_HOME, seeded from share/kv4910
    const ScopedEnv data("XDG_DATA_HOME", "/srv/data");
    const ProgramHome chosen = ChooseProgramHome(root / "bin");
    EXPECT_EQ(chosen.dir, "/srv/data/kv4910");
    EXPECT_EQ(chosen.shipped_dir, root / "share/kv4910");
    EXPECT_TRUE(chosen.per_user);
  }
  {  // a relative XDG_DATA_HOME is not a base directory
    const ScopedEnv data("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(ChooseProgramHome(root / "bin").dir, "/home/till/.local/share/kv4910");
  }
  {  // KV4910_HOME wins; the shipped files still count for missing messages
    const ScopedEnv forced("KV4910_HOME", "/opt/till");
    const ProgramHome chosen = ChooseProgramHome(root / "bin");
    EXPECT_EQ(chosen.dir, "/opt/till");
    EXPECT_EQ(chosen.shipped_dir, root / "share/kv4910");
    EXPECT_FALSE(chosen.per_user);
  }
  {  // a build tree: nothing shipped beside it, the executable's directory as before
    const ProgramHome chosen = ChooseProgramHome(build.path());
    EXPECT_EQ(chosen.dir, build.path());
    EXPECT_EQ(chosen.shipped_dir, "");
    EXPECT_FALSE(chosen.per_user);
  }
  // An existing installation keeps its settings beside the program (any capitalisation).
  root.Write("bin/RB4900_CFG.INI", "[CONFIG]\n");
  EXPECT_EQ(ChooseProgramHome(root / "bin").dir, root / "bin");
  EXPECT_FALSE(ChooseProgramHome(root / "bin").per_user);
}

TEST(ProgramHome, FirstStartCreatesAPrivateDirectoryWithTheShippedTexts) {
  TempDir root;
  ShipFiles(root);
  const std::string dir = root / "user/.local/share/kv4910";

  EXPECT_EQ(SeedProgramDir(root / "share/kv4910", dir), "");
  struct stat st {};
  ASSERT_EQ(stat(dir.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  EXPECT_EQ(root.Read("user/.local/share/kv4910/kv4910_sk.msg"), "[1]\r\nshipped one\r\n");
  EXPECT_EQ(root.Read("user/.local/share/kv4910/kv4910_sk.lng"), "[SRB4900]\r\n");
  EXPECT_EQ(root.Read("user/.local/share/kv4910/rb4900_cfg.ini"), "; shipped\n[CONFIG]\nport=-1\n");
  EXPECT_FALSE(fs::exists(dir + "/samples"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);
}

TEST(ProgramHome, LaterStartsAddOnlyWhatIsMissing) {
  TempDir root;
  ShipFiles(root);
  const std::string dir = root / "user";
  ASSERT_EQ(SeedProgramDir(root / "share/kv4910", dir), "");
  root.Write("user/rb4900_cfg.ini", "[CONFIG]\nport=2\n");  // the operator's settings
  root.Write("user/kv4910_sk.msg", "[1]\r\nthe operator's one\r\n");
  fs::rename(dir + "/kv4910_sk.lng", dir + "/KV4910_SK.LNG");  // another capitalisation
  // An upgrade ships a new language pair and changed texts.
  root.Write("share/kv4910/kv4910_en.lng", "[SRB4900]\r\n");
  root.Write("share/kv4910/kv4910_en.msg", "[1]\r\nenglish one\r\n");
  root.Write("share/kv4910/rb4900_cfg.ini", "; newer\n");

  EXPECT_EQ(SeedProgramDir(root / "share/kv4910", dir), "");
  EXPECT_EQ(root.Read("user/rb4900_cfg.ini"), "[CONFIG]\nport=2\n");
  EXPECT_EQ(root.Read("user/kv4910_sk.msg"), "[1]\r\nthe operator's one\r\n");
  EXPECT_FALSE(fs::exists(dir + "/kv4910_sk.lng"));
  EXPECT_EQ(root.Read("user/kv4910_en.msg"), "[1]\r\nenglish one\r\n");
  EXPECT_TRUE(fs::exists(dir + "/kv4910_en.lng"));
}

TEST(ProgramHome, DirectoryThatCannotBeCreatedIsReportedWithItsPath) {
  TempDir root;
  ShipFiles(root);
  root.Write("blocked", "a file where a directory should be");
  const std::string problem = SeedProgramDir(root / "share/kv4910", root / "blocked/kv4910");
  EXPECT_NE(problem.find("Cannot create the program directory " + root / "blocked/kv4910"),
            std::string::npos)
      << problem;
}

}  // namespace
}  // namespace kv
