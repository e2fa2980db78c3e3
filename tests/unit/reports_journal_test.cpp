#include <gtest/gtest.h>

#include <string>

#include "base/ini_file.h"
#include "reports/journal_loader.h"
#include "reports/journal_viewer.h"
#include "reports/monthly_request.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

constexpr const char* kMissing = "Subor neexistuje: ";

std::string Load(const std::string& bytes) {
  test::TempDir dir;
  dir.Write("zurnal.txt", bytes);
  return LoadJournalText(dir / "zurnal.txt", kMissing);
}

TEST(JournalLoader, BytesBecomeLines) {
  EXPECT_EQ(Load("A\r\nB"), "A\nB");
  EXPECT_EQ(Load("A\r\n"), "A\n");  // A and an empty line
  EXPECT_EQ(Load(""), "");
  EXPECT_EQ(Load("x\x1by\tz\x7f\xc8"), "x~27~y~9~z\x7f\xc8");
  EXPECT_EQ(Load(std::string("a\0b", 3)), "a~0~b");
  // 254 bytes: a full first chunk of the original reader and an empty second one.
  const std::string full(253, 'k');
  EXPECT_EQ(Load(full + "\n"), full + "\n");
}

TEST(JournalLoader, MissingFileShowsMessageAndPath) {
  test::TempDir dir;
  const std::string path = dir / "nothing.txt";
  JournalLoader loader(path, kMissing);
  EXPECT_TRUE(loader.done());
  EXPECT_EQ(loader.text(), std::string(kMissing) + path);
  // The path's letters are shown as the viewer's code page has them.
  JournalLoader accented(dir / "\xC5\xBEurn\xC3\xA1l.txt", kMissing);  // "žurnál.txt" in UTF-8
  EXPECT_EQ(accented.text(), std::string(kMissing) + dir.path() + "/\x9Eurn\xE1l.txt");
  // A directory exists but is no file to read: nothing is shown, the failure is known.
  JournalLoader directory(dir.path(), kMissing);
  while (!directory.done()) directory.Step();
  EXPECT_EQ(directory.text(), "");
  EXPECT_TRUE(directory.failed());
}

std::string Repeat(const std::string& part, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += part;
  return text;
}

TEST(JournalLoader, LongLinesGoOnOnTheNextDisplayLine) {
  const std::string a4096(4096, 'a');
  const struct {
    std::string bytes;
    std::string shown;
  } cases[] = {
      {std::string(10000, 'a'), a4096 + "\n" + a4096 + "\n" + std::string(1808, 'a')},
      {a4096 + "\r\nb", a4096 + "\nb"},  // exactly full: no extra break
      // CR-only line ends are dropped, so such a file is one long line.
      {Repeat("ab\r", 2100), Repeat("ab", 2048) + "\n" + Repeat("ab", 52)},
      // A control byte's "~n~" is never split.
      {std::string(4094, 'x') + "\x1b", std::string(4094, 'x') + "\n~27~"},
  };
  for (const auto& c : cases) EXPECT_EQ(Load(c.bytes), c.shown) << c.bytes.size();
}

TEST(JournalLoader, PiecesAddUpToTheWholeLoadAndStayShortForALargeFile) {
  test::TempDir dir;
  std::string line = "06.12.2026 14:30 \x1b@ Doklad c. 1234 \xe8iastka 12.50\r\n";
  std::string bytes;
  while (bytes.size() < 8u * 1024 * 1024) bytes += line;
  dir.Write("big.txt", bytes);

  // Each step reads a bounded piece of the file (a control byte becomes at most five
  // characters), so the window's event loop turns between steps whatever the file's size.
  JournalLoader loader(dir / "big.txt", kMissing);
  std::string pieces;
  size_t steps = 0;
  while (!loader.done()) {
    const std::string_view piece = loader.Step();
    EXPECT_LE(piece.size(), 5 * kJournalStepBytes);
    pieces += piece;
    ++steps;
  }
  EXPECT_GE(steps, bytes.size() / kJournalStepBytes);
  EXPECT_FALSE(loader.failed());
  EXPECT_EQ(pieces, loader.text());
  EXPECT_EQ(pieces, LoadJournalText(dir / "big.txt", kMissing));

  // Odd step sizes split CR LF pairs and control bytes between steps: same text.
  JournalLoader small(dir / "big.txt", kMissing);
  std::string head;
  for (int i = 0; i < 50 && !small.done(); ++i) head += small.Step(7);
  EXPECT_EQ(head, pieces.substr(0, head.size()));
}

TEST(JournalSearch, FindsOnceThenRestartsFromTheTop) {
  const std::string text = "1.12.2026 a\n25.01.2010 b\nc";
  auto found = FindInJournal(text, "25.01.2010", {});
  ASSERT_TRUE(found);
  EXPECT_EQ(*found, (TextSelection{12, 10}));
  EXPECT_FALSE(FindInJournal(text, "25.01.2010", *found));  // not found: box, caret to the top
  EXPECT_EQ(FindInJournal(text, "25.01.2010", {}), found);
  // A caret without a selection searches from the top; case matters.
  EXPECT_TRUE(FindInJournal(text, "1.12", TextSelection{20, 0}));
  EXPECT_FALSE(FindInJournal(text, "C", {}));
  EXPECT_FALSE(FindInJournal(text, "", {}));
  // Typed text is Unicode; a letter outside the code page never matches a "?" of the file.
  EXPECT_TRUE(FindInJournal("\xe8iastka", "čiastka", {}));
  EXPECT_FALSE(FindInJournal("a?b", "a☃b", {}));
  EXPECT_EQ(NotFoundText("Text", "25.01.2010", "sa nena\x9aiel."),
            "Text 25.01.2010 sa nena\x9aiel.");
}

TEST(JournalViewer, SearchDateWidthAndGeometryAcrossRuns) {
  std::tm today{};
  today.tm_year = 110;
  today.tm_mon = 0;
  today.tm_mday = 5;
  EXPECT_EQ(JournalSearchDate(today), "5.01.2010");
  EXPECT_EQ(ClampViewerWidth(100), 230);
  EXPECT_EQ(ClampViewerWidth(231), 231);

  test::TempDir dir;
  Config cfg;
  cfg.zurnal_with = 50;
  EXPECT_EQ(JournalViewerGeometry(cfg).width, 230);
  IniFile ini(dir / kConfigFileName);
  ASSERT_TRUE(StoreJournalViewerGeometry(cfg, ini, {10, 20, 640, 480}));
  EXPECT_EQ(JournalViewerGeometry(cfg), (ViewerGeometry{10, 20, 640, 480}));
  Config next_run;
  ConfigTimeouts timeouts;
  ReadConfig(IniFile(dir / kConfigFileName), dir.path(), next_run, timeouts);
  EXPECT_EQ(JournalViewerGeometry(next_run), (ViewerGeometry{10, 20, 640, 480}));
}

TEST(MonthlyRequest, BytesAndRefusals) {
  const MonthlyRequest february = BuildMonthlyRequest("2010", 1);
  EXPECT_EQ(february.bytes, "\x1bXD20100201\r20100231\r");
  EXPECT_EQ(BuildMonthlyRequest("7", 11).bytes, "\x1bXD00071201\r00071231\r");
  for (const char* year : {"", "20a0", "20100", "-201"}) {
    const MonthlyRequest refused = BuildMonthlyRequest(year, 1);
    EXPECT_TRUE(refused.bytes.empty()) << year;
    EXPECT_EQ(refused.message, kMsgYearNotNumber) << year;
  }
  EXPECT_EQ(BuildMonthlyRequest("2010", -1).message, kMsgNoMonth);
  // The dialog opens on the last finished month.
  EXPECT_EQ(PreselectedMonth(2026, 1), (MonthChoice{2025, 11}));
  EXPECT_EQ(PreselectedMonth(2026, 2), (MonthChoice{2026, 0}));
  EXPECT_EQ(PreselectedMonth(2026, 12), (MonthChoice{2026, 10}));
  EXPECT_EQ(PreselectedMonth(2026, 11).position, 9);  // October
  EXPECT_TRUE(YearKeyAccepted('\b'));
  EXPECT_FALSE(YearKeyAccepted('-'));
}

}  // namespace
}  // namespace kv
