#include "base/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/small_file.h"
#include "support/temp_dir.h"
#include "support/test_os.h"

namespace kv {
namespace {

TEST(IniFile, NamesMatchWithoutRegardToCaseFileNameToo) {
  test::TempDir dir;
  dir.Write("RB4900_cfg.ini", "[Config]\r\nPath_In=c:\\pos\\in.txt\r\nPORT=3\r\n");
  IniFile ini(dir / "rb4900_cfg.ini");
  EXPECT_TRUE(ini.exists());
  EXPECT_EQ(ini.path(), dir / "RB4900_cfg.ini");
  EXPECT_EQ(ini.ReadString("CONFIG", "path_in", "x"), "c:\\pos\\in.txt");
  EXPECT_EQ(ini.ReadInteger("config", "port", -1), 3);

  ASSERT_TRUE(ini.WriteInteger("CONFIG", "port", 4));
  EXPECT_FALSE(dir.Exists("rb4900_cfg.ini"));  // the same file, not a second one
  EXPECT_EQ(dir.Read("RB4900_cfg.ini"), "[Config]\r\nPath_In=c:\\pos\\in.txt\r\nPORT=4\r\n");
}

TEST(IniFile, MissingFileSectionKeyOrBadNumberGiveTheDefault) {
  test::TempDir dir;
  IniFile missing(dir / "none.ini");
  EXPECT_FALSE(missing.exists());
  EXPECT_EQ(missing.ReadInteger("CONFIG", "port", -1), -1);
  EXPECT_EQ(missing.ReadString("CONFIG", "path_in", "blocek.txt"), "blocek.txt");

  dir.Write("a.ini", "[CONFIG]\nbaud=fast\nport=12x\nempty=\nbig=99999999999\nneg= -7 \n");
  IniFile ini(dir / "a.ini");
  EXPECT_EQ(ini.ReadInteger("CONFIG", "baud", 9600), 9600);
  EXPECT_EQ(ini.ReadInteger("CONFIG", "port", -1), -1);
  EXPECT_EQ(ini.ReadInteger("CONFIG", "empty", 5), 5);
  EXPECT_EQ(ini.ReadInteger("CONFIG", "big", 5), 5);
  EXPECT_EQ(ini.ReadInteger("CONFIG", "neg", 5), -7);
  EXPECT_EQ(ini.ReadInteger("OTHER", "baud", 1), 1);
  EXPECT_EQ(ini.ReadString("CONFIG", "empty", "dflt"), "");  // present but empty is empty
}

TEST(IniFile, BooleansAreAnyNonZeroNumber) {
  test::TempDir dir;
  dir.Write("a.ini", "[S]\na=1\nb=0\nc=-3\nd=yes\ne=2\n");
  IniFile ini(dir / "a.ini");
  EXPECT_TRUE(ini.ReadBool("S", "a", false));
  EXPECT_FALSE(ini.ReadBool("S", "b", true));
  EXPECT_TRUE(ini.ReadBool("S", "c", false));
  EXPECT_TRUE(ini.ReadBool("S", "d", true));   // not a number: default
  EXPECT_FALSE(ini.ReadBool("S", "d", false));
  EXPECT_TRUE(ini.ReadBool("S", "e", false));
}

TEST(IniFile, TextsRunToTheEndOfTheLine) {
  test::TempDir dir;
  dir.Write("a.ini", "[S]\nname = Hotovos\x9d: ; not a comment = still text\n");
  IniFile ini(dir / "a.ini");
  EXPECT_EQ(ini.ReadString("S", "name", ""), "Hotovos\x9d: ; not a comment = still text");
}

TEST(IniFile, WritingUpdatesInPlaceAndKeepsEveryOtherLine) {
  test::TempDir dir;
  const std::string before =
      "; settings of the shop\n[CONFIG]\nport=1\n; keep me\nunknown=abc\n\n[POKL]\nplat1=Cash\n";
  dir.Write("a.ini", before);
  IniFile ini(dir / "a.ini");
  ASSERT_TRUE(ini.WriteInteger("config", "PORT", 2));
  EXPECT_EQ(dir.Read("a.ini"),
            "; settings of the shop\n[CONFIG]\nport=2\n; keep me\nunknown=abc\n\n[POKL]\nplat1=Cash\n");
}

TEST(IniFile, WritingKeepsTheLineEndsOfEveryOtherLine) {
  test::TempDir dir;
  dir.Write("a.ini", "[A]\nk=1\n[B]\r\nv=x\r\r\nw=2");
  IniFile ini(dir / "a.ini");
  ASSERT_TRUE(ini.WriteInteger("A", "k", 5));
  ASSERT_TRUE(ini.WriteInteger("B", "n", 7));
  EXPECT_EQ(dir.Read("a.ini"), "[A]\nk=5\n[B]\r\nv=x\r\r\nw=2\nn=7\n");
  EXPECT_EQ(IniFile(dir / "a.ini").ReadString("B", "v", ""), "x\r");

  // A last line ending in a CR without its LF: the CR is its end, and gets its LF once a new
  // section follows, so neither its value nor the new lines run together.
  dir.Write("c.ini", "[A]\nk=3\r\r");
  IniFile last(dir / "c.ini");
  EXPECT_EQ(last.ReadString("A", "k", ""), "3\r");
  ASSERT_TRUE(last.WriteInteger("B", "n", 7));
  EXPECT_EQ(dir.Read("c.ini"), "[A]\nk=3\r\r\n[B]\nn=7\n");
  EXPECT_EQ(IniFile(dir / "c.ini").ReadString("A", "k", ""), "3\r");
}

TEST(IniFile, NewKeyGoesToTheEndOfItsSectionNewSectionToTheEndOfTheFile) {
  test::TempDir dir;
  dir.Write("a.ini", "[CONFIG]\r\nport=1\r\n\r\n[POKL]\r\nplat1=Cash\r\n");
  IniFile ini(dir / "a.ini");
  ASSERT_TRUE(ini.WriteInteger("CONFIG", "baud", 9600));
  ASSERT_TRUE(ini.WriteString("MENA", "kurz", "30.1260"));
  ASSERT_TRUE(ini.WriteString("pokl", "plat2", "Card"));
  EXPECT_EQ(dir.Read("a.ini"),
            "[CONFIG]\r\nport=1\r\nbaud=9600\r\n\r\n[POKL]\r\nplat1=Cash\r\nplat2=Card\r\n"
            "[MENA]\r\nkurz=30.1260\r\n");
  IniFile again(dir / "a.ini");
  EXPECT_EQ(again.ReadString("MENA", "kurz", ""), "30.1260");
}

TEST(IniFile, FirstWriteCreatesTheFileInWriteOrder) {
  test::TempDir dir;
  IniFile ini(dir / "new.ini");
  ini.WriteInteger("LANGUAGE", "default", 0);
  ini.WriteString("POKL", "plat1", "A");
  ini.WriteString("POKL", "plat2", "B");
  ini.WriteString("CONFIG", "path_in", "blocek.txt");
  EXPECT_EQ(dir.Read("new.ini"),
            "[LANGUAGE]\ndefault=0\n[POKL]\nplat1=A\nplat2=B\n[CONFIG]\npath_in=blocek.txt\n");
}

TEST(IniFile, WriteToAnUnwritableDirectoryFails) {
  IniFile ini("/proc/kv4910-no-such-dir/a.ini");
  EXPECT_FALSE(ini.WriteInteger("S", "k", 1));
  EXPECT_EQ(ini.ReadInteger("S", "k", 0), 1);  // the running copy still has it
}

TEST(IniFile, SomethingThatIsNotASmallRegularFileIsNeitherReadNorReplaced) {
  test::TempDir dir;
  ASSERT_TRUE(test::MakeFifo(dir / "fifo.ini"));
  dir.Write("big.ini", "[S]\r\nk=2\r\n" + std::string(kSmallFileLimit, ';'));
  for (const char* name : {"fifo.ini", "big.ini"}) {
    IniFile ini(dir / name);
    EXPECT_FALSE(ini.exists()) << name;
    EXPECT_EQ(ini.ReadInteger("S", "k", 7), 7) << name;
    EXPECT_FALSE(ini.WriteInteger("S", "k", 1)) << name;
  }
  EXPECT_TRUE(std::filesystem::is_fifo(dir / "fifo.ini"));
  EXPECT_GT(std::filesystem::file_size(dir / "big.ini"), kSmallFileLimit);
}

}  // namespace
}  // namespace kv
