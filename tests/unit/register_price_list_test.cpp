// The price list file of 88-byte records and the editor's operations on it.
#include "register/price_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "lang/codepage.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"
#include "support/test_os.h"
#include "support/till_fixture.h"

namespace kv {
namespace {

TPriceCard Card(const std::string& name, const std::string& code, double price = 1,
                uint8_t level = 0) {
  TPriceCard card;
  card.name = name;
  card.code = code;
  card.price = price;
  card.vat_level = level;
  return card;
}

// `count` records "N<i>" with code "<i>"; the names listed in `unnamed` are left empty.
std::string Records(int count, std::initializer_list<int> unnamed = {}) {
  std::string bytes;
  for (int i = 0; i < count; ++i) {
    TPriceCard card = Card("N" + std::to_string(i), std::to_string(i), i);
    for (int u : unnamed)
      if (u == i) card.name = "";
    const auto record = EncodePriceCard(card);
    bytes.append(reinterpret_cast<const char*>(record.data()), record.size());
  }
  return bytes;
}

class PriceListTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir / "cennik.bin"; }
  PriceList& List() {
    if (!list)
      list = std::make_unique<PriceList>(
          Path(), messages, boxes,
          [this](const std::string&) { return chosen; });
    return *list;
  }
  PriceCardFields Fields(const std::string& code, const std::string& name,
                         const std::string& price = "1.00", int level = 0) {
    return {code, name, price, level};
  }

  test::TempDir dir;
  MessageTable messages = test::NumberedMessages();
  test::ScriptedBoxes boxes;
  std::optional<std::string> chosen;
  std::unique_ptr<PriceList> list;
};

TEST_F(PriceListTest, RecordLayoutIsFixed) {
  TPriceCard card = Card("Rožok", "8581234567890", 0.125, 3);
  card.spare[6] = 0x5A;
  const auto bytes = EncodePriceCard(card);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data())), "Rožok");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 40)), "8581234567890");
  double price = 0;
  std::memcpy(&price, bytes.data() + 56, 8);
  EXPECT_EQ(price, 0.125);
  EXPECT_EQ(bytes[80], 3);
  EXPECT_EQ(bytes[87], 0x5A);
  for (size_t i = 64; i < 80; ++i) EXPECT_EQ(bytes[i], 0) << i;

  // A name without its terminating zero is cut to the 39 characters the field holds.
  auto raw = bytes;
  std::memset(raw.data(), 'x', 40);
  const TPriceCard back = DecodePriceCard(raw.data());
  EXPECT_EQ(back.name.view(), std::string(39, 'x'));
  EXPECT_EQ(back.spare[6], 0x5A);
}

TEST_F(PriceListTest, LoadKeepsWholeNamedRecordsAndReportsWhatItLeftOut) {
  struct Case {
    std::string bytes;
    int loaded;
    size_t stray;
    size_t dropped;
  } cases[] = {
      {Records(100) + std::string(40, 'z'), 100, 40, 0},
      {Records(1200), 1000, 0, 200},
      {Records(5, {2}), 4, 0, 0},
  };
  for (const auto& c : cases) {
    dir.Write("cennik.bin", c.bytes);
    list.reset();
    const PriceListLoad load = List().LoadPriceList(false);
    EXPECT_TRUE(load.read);
    EXPECT_EQ(List().Count(), c.loaded);
    EXPECT_EQ(load.stray_tail_bytes, c.stray);
    EXPECT_EQ(load.dropped_records, c.dropped);
    EXPECT_EQ(PriceListLoadNote(load, messages).empty(), c.stray == 0 && c.dropped == 0);
  }
  // The record after the unnamed one follows on directly.
  EXPECT_EQ(List().Card(2).name.view(), "N3");
}

TEST_F(PriceListTest, VatLevelOutsideTheFiveLoadsWithoutALevel) {
  const auto record = EncodePriceCard(Card("Foreign", "77", 2, 9));
  dir.Write("cennik.bin", std::string(reinterpret_cast<const char*>(record.data()), 88));
  List().LoadPriceList(false);
  ASSERT_EQ(List().Count(), 1);
  EXPECT_FALSE(VatLevelValid(List().Card(0)));
  EXPECT_EQ(List().SelectRow(0).vat_index, -1);
  // The editor does not store a record without a level either.
  EXPECT_EQ(List().Store(0, Fields("77", "Foreign", "2", -1)),
            PriceList::StoreOutcome::NoVatLevel);
}

TEST_F(PriceListTest, MissingFileIsOfferedThenCreatedEmpty) {
  boxes.Expect("[89]", BoxAnswer::No, BoxAnswer::No);
  EXPECT_FALSE(List().LoadPriceList(false).read);
  EXPECT_TRUE(dir.Exists("cennik.bin"));
  EXPECT_EQ(dir.Read("cennik.bin"), "");
  EXPECT_EQ(boxes.shown().at(0).default_button, 1);  // without a screen: No

  // Yes with a chosen file loads that file, which stays the working path.
  dir.Write("other.bin", Records(3));
  std::filesystem::remove(Path());
  chosen = dir / "other.bin";
  boxes.Expect("[89]", BoxAnswer::Yes, BoxAnswer::No);
  EXPECT_TRUE(List().LoadPriceList(false).read);
  EXPECT_EQ(List().Count(), 3);
  EXPECT_EQ(List().WorkingPath(), dir / "other.bin");
}

TEST_F(PriceListTest, FolderThatCannotBeMadeIsReportedNotThrown) {
  dir.Write("file", "x");
  PriceList blocked(dir / "file/cennik/cennik.bin", messages, boxes, nullptr);
  EXPECT_FALSE(EnsurePriceListFolder(blocked.WorkingPath()));
  boxes.Expect("[89]", BoxAnswer::No, BoxAnswer::No).Expect("[65]");
  EXPECT_FALSE(blocked.LoadPriceList(false).read);
  boxes.Expect("[185]");
  EXPECT_EQ(blocked.Store(0, Fields("1", "Chlieb")), PriceList::StoreOutcome::NotWritten);
}

TEST_F(PriceListTest, StoreRefusesEmptyNameDuplicateCodeAndTheThousandAndFirst) {
  List();
  EXPECT_EQ(List().Store(0, Fields("1", "")), PriceList::StoreOutcome::EmptyName);
  EXPECT_EQ(List().Store(0, Fields("", "Chlieb")), PriceList::StoreOutcome::Saved);
  // Two cards with empty codes: the second is refused, also when appended past the end.
  EXPECT_EQ(List().Store(5, Fields("", "Rožok")), PriceList::StoreOutcome::DuplicateCode);
  EXPECT_EQ(List().Count(), 1);
  // Storing a record over itself keeps its own code.
  EXPECT_EQ(List().Store(0, Fields("", "Chlieb 2")), PriceList::StoreOutcome::Saved);
  EXPECT_EQ(List().Store(1, Fields("12", "x", "abc")), PriceList::StoreOutcome::BadPrice);

  dir.Write("cennik.bin", Records(1000));
  List().LoadPriceList(false);
  boxes.Expect("[182]");
  EXPECT_EQ(List().Store(List().NewRow(), Fields("new", "New")),
            PriceList::StoreOutcome::ListFull);
  EXPECT_EQ(dir.Read("cennik.bin").size(), 1000u * kPriceCardSize);
}

TEST_F(PriceListTest, PriceKeepsThreeDecimalsAndShowsTwo) {
  ASSERT_EQ(List().Store(0, Fields("1", "Chlieb", "1.5", 2)), PriceList::StoreOutcome::Saved);
  ASSERT_EQ(List().Store(1, Fields("2", "Rožok", "0.12345")), PriceList::StoreOutcome::Saved);
  EXPECT_EQ(List().Card(0).price, 1.5);
  EXPECT_EQ(List().Card(1).price, 0.123);
  const auto cells = List().RowCells(0);
  EXPECT_EQ(cells[2], "3");
  EXPECT_EQ(cells[3], "      1.50");
  EXPECT_EQ(List().SelectRow(0).price, "1.50");
  EXPECT_EQ(List().SelectRow(7).price, "0.00");  // a row past the records clears the fields

  list.reset();  // what was stored is in the file
  List().LoadPriceList(false);
  ASSERT_EQ(List().Count(), 2);
  EXPECT_EQ(List().Card(0).vat_level, 2);
  EXPECT_EQ(List().Card(1).name.view(), "Rožok");
}

TEST_F(PriceListTest, SaveAfterDeleteIsOneRecordShorterAndReplacesTheFile) {
  dir.Write("cennik.bin", Records(4));
  List().LoadPriceList(false);
  EXPECT_EQ(List().Remove(3), 2);  // the last row: the selection moves up
  EXPECT_EQ(List().Remove(1), 1);
  EXPECT_EQ(dir.Read("cennik.bin").size(), 4 * kPriceCardSize);  // not written yet
  ASSERT_TRUE(List().SavePriceList());
  const std::string saved = dir.Read("cennik.bin");
  ASSERT_EQ(saved.size(), 2 * kPriceCardSize);
  EXPECT_EQ(DecodePriceCard(reinterpret_cast<const uint8_t*>(saved.data()) + 88).name.view(),
            "N2");
  EXPECT_FALSE(dir.Exists("cennik.bin.tmp"));

  // When the new file cannot be written the old one stays whole.
  std::filesystem::create_directory(dir / "cennik.bin.tmp");
  List().Remove(0);
  boxes.Expect("[185]");
  EXPECT_FALSE(List().SavePriceList());
  EXPECT_EQ(dir.Read("cennik.bin"), saved);
}

TEST_F(PriceListTest, SaveAsWritesTheChosenFileWhichStaysTheWorkingPath) {
  List().SaveTo(dir / "copy.bin");
  EXPECT_EQ(List().WorkingPath(), dir / "copy.bin");
  List().Store(0, Fields("1", "Chlieb"));
  EXPECT_EQ(dir.Read("copy.bin").size(), kPriceCardSize);
  EXPECT_FALSE(dir.Exists("cennik.bin"));
}

TEST_F(PriceListTest, AFifoOrADeviceIsNotReadAndTheWindowsStayResponsive) {
  ASSERT_TRUE(test::MakeFifo(dir / "fifo.bin"));
  const std::string paths[] = {dir / "fifo.bin", test::DevicePath(), dir.path()};
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    PriceList other(path, messages, boxes, nullptr);
    boxes.Expect("[91]");
    EXPECT_FALSE(other.LoadPriceList(false).read);
    EXPECT_EQ(other.Count(), 0);
  }
}

TEST_F(PriceListTest, LookUpByExactCodeAndByNameIgnoringCase) {
  // Names are cp1250 bytes: the accented letters fold too.
  List().Store(0, Fields("100", Utf8ToCp1250("Mlieko polotučné")));
  List().Store(1, Fields("10", Utf8ToCp1250("ČOKOLÁDA mliečna")));
  List().Store(2, Fields("2", Utf8ToCp1250("Šťava")));
  List().Store(3, Fields("", "Bez kódu"));
  EXPECT_EQ(List().FindByCode("10"), 1);
  EXPECT_FALSE(List().FindByCode("1"));
  EXPECT_FALSE(List().FindByCode(""));  // an empty code field looks nothing up
  EXPECT_EQ(List().SearchByName("MLIE"), (std::vector<int>{0, 1}));
  EXPECT_EQ(List().SearchByName(Utf8ToCp1250("čokol")), (std::vector<int>{1}));
  EXPECT_EQ(List().SearchByName(Utf8ToCp1250("šŤ")), (std::vector<int>{2}));
  EXPECT_TRUE(List().SearchByName("chlieb").empty());
}

}  // namespace
}  // namespace kv
