#include <gtest/gtest.h>

#include <string>

#include "reports/copy_block.h"
#include "reports/copy_request.h"
#include "support/escape_text.h"

namespace kv {
namespace {

using test::E;

CopyFields Fields(int entry) {
  CopyFields f;
  f.entry = entry;
  f.calendar = {2010, 1, 25};
  f.od = "01022010";
  f.do_ = "28022010";
  f.casod = "0830";
  f.casdo = "1745";
  return f;
}

TEST(CopyRequest, PrintRequestsAreByteExact) {
  struct Case {
    const char* name;
    CopyFields fields;
    std::string bytes;
  };
  CopyFields by_date_doc = Fields(0);
  by_date_doc.kdokladu = "9999";
  CopyFields by_closing_doc = Fields(0);
  by_closing_doc.kbldu = "0012";
  by_closing_doc.kdokladu = "7";
  CopyFields zero_closing = Fields(0);
  zero_closing.kbldu = "0000";  // zero however it is typed: found by the calendar date
  CopyFields daily = Fields(1);
  daily.kdu = "345";
  CopyFields summary_by_number = Fields(3);
  summary_by_number.by_date = false;
  summary_by_number.od = "0001";
  summary_by_number.do_ = "0005";
  CopyFields detail_by_number = Fields(2);
  detail_by_number.by_date = false;
  detail_by_number.od = "7";
  detail_by_number.do_ = "12";
  const Case cases[] = {
      {"receipt by date", by_date_doc, E + "CB201001259999\r"},
      {"receipt by closing", by_closing_doc, E + "Cb0012\r7\r"},
      {"closing typed 0000", zero_closing, E + "CB201001251\r"},
      {"daily closing", daily, E + "CD20100125345\r"},
      {"detail by date", Fields(2), E + "Xd20100201\r20100228\r\r"},
      {"summary by date", Fields(3), E + "XD20100201\r20100228\r\r"},
      {"summary by number", summary_by_number, E + "XS0001\r0005\r\r"},
      {"detail by number", detail_by_number, E + "XP7\r12\r\r"},
      {"date and time", Fields(4), E + "z20100201083020100228" + "1745\r"},
  };
  for (const Case& c : cases) {
    const CopyRequest request = BuildCopyPrintRequest(c.fields);
    EXPECT_EQ(request.status, CopyRequestStatus::Built) << c.name;
    EXPECT_EQ(request.bytes, c.bytes) << c.name;
    EXPECT_LE(request.bytes.size(), kCopyRequestBuffer) << c.name;
  }
  EXPECT_EQ(BuildCopyPrintRequest(Fields(4)).bytes.size(), 27u);
  EXPECT_EQ(BuildCopyPrintRequest(Fields(5)).status, CopyRequestStatus::NoRequest);
}

TEST(CopyRequest, FetchRequestsOnlyForDocumentsClosingsAndTheRawHeader) {
  CopyFields receipt = Fields(0);
  receipt.kbldu = "3";
  receipt.kdokladu = "42";
  CopyFields daily = Fields(1);
  daily.kdu = "17";
  CopyFields header = Fields(5);
  header.kdu = "17";
  EXPECT_EQ(BuildCopyFetchRequest(receipt).bytes, E + "q3\r42\r");
  EXPECT_EQ(BuildCopyFetchRequest(daily).bytes, E + "q17\r9999\r");
  EXPECT_EQ(BuildCopyFetchRequest(header).bytes, E + "q17\r8888\r");
  for (int entry : {2, 3, 4})
    EXPECT_EQ(BuildCopyFetchRequest(Fields(entry)).status, CopyRequestStatus::NoRequest) << entry;
}

TEST(CopyRequest, IncompleteFieldsSendNothing) {
  CopyFields empty_document = Fields(0);
  empty_document.kdokladu = "";
  CopyFields long_number = Fields(1);
  long_number.kdu = "12345";
  CopyFields short_date = Fields(2);
  short_date.od = "0102201";
  CopyFields letters = Fields(3);
  letters.by_date = false;
  letters.do_ = "12a";
  CopyFields short_time = Fields(4);
  short_time.casdo = "17";
  for (const CopyFields& f : {empty_document, long_number, short_date, letters, short_time}) {
    const CopyRequest request = BuildCopyPrintRequest(f);
    EXPECT_EQ(request.status, CopyRequestStatus::BadField) << f.entry;
    EXPECT_TRUE(request.bytes.empty()) << f.entry;
  }
  EXPECT_EQ(BuildCopyFetchRequest(empty_document).status, CopyRequestStatus::BadField);
}

TEST(CopyFields, EnablingPerEntryAndIntervalFilling) {
  const auto numbers = CopyFieldsForEntry(1);
  ASSERT_TRUE(numbers);
  EXPECT_TRUE(numbers->numbers && numbers->fetch);
  EXPECT_FALSE(numbers->interval || numbers->by_date_box || numbers->times);
  const auto interval = CopyFieldsForEntry(3);
  ASSERT_TRUE(interval);
  EXPECT_TRUE(interval->interval && interval->by_date_box);
  EXPECT_FALSE(interval->numbers || interval->fetch || interval->times);
  const auto date_time = CopyFieldsForEntry(4);
  ASSERT_TRUE(date_time);
  EXPECT_TRUE(date_time->interval && date_time->times && date_time->fill_date_and_time);
  EXPECT_FALSE(date_time->by_date_box || date_time->numbers || date_time->fetch);
  EXPECT_FALSE(CopyFieldsForEntry(5));

  const IntervalFill by_date = FillIntervalFields(true, {2010, 2, 3});
  EXPECT_EQ(by_date.mask, IntervalMask::Date);
  EXPECT_EQ(by_date.text, "03022010");
  const IntervalFill by_number = FillIntervalFields(false, {2010, 2, 3});
  EXPECT_EQ(by_number.mask, IntervalMask::Number);
  EXPECT_EQ(by_number.text, "0001");
  EXPECT_EQ(TimeAsHhmm(7, 5), "0705");
}

std::string Answer(const std::string& document, uint16_t crc) {
  const std::string block = document + static_cast<char>(crc >> 8) + static_cast<char>(crc & 0xFF);
  return std::string{static_cast<char>(block.size() >> 8), static_cast<char>(block.size() & 0xFF)} +
         block;
}

TEST(FetchedBlock, CrcOverTheDocumentMismatchIsShownNotFatal) {
  // 0x31C3 is the CRC of "123456789" with this polynomial, register 0, no final XOR.
  FetchedBlock ok = ParseFetchedBlock(Answer("123456789", 0x31C3));
  EXPECT_EQ(ok.status, FetchStatus::Ok);
  EXPECT_EQ(ok.document, "123456789");
  EXPECT_EQ(ok.crc_received, 0x31C3);
  EXPECT_EQ(ok.crc_computed, 0x31C3);
  EXPECT_TRUE(ok.crc_matches());

  FetchedBlock bad = ParseFetchedBlock(Answer("123456789", 0x1234) + "trailing");
  EXPECT_EQ(bad.status, FetchStatus::Ok);
  EXPECT_EQ(bad.document, "123456789");
  EXPECT_EQ(bad.crc_received, 0x1234);
  EXPECT_FALSE(bad.crc_matches());
}

TEST(FetchedBlock, EmptyShortAndTooLongBlocks) {
  const FetchedBlock two = ParseFetchedBlock(std::string("\x00\x02\x00\x00", 4));
  EXPECT_EQ(two.status, FetchStatus::Ok);
  EXPECT_TRUE(two.document.empty());
  EXPECT_EQ(two.crc_computed, 0);
  for (const std::string& tiny : {std::string("\x00\x00", 2), std::string("\x00\x01Z", 3)}) {
    const FetchedBlock b = ParseFetchedBlock(tiny);
    EXPECT_EQ(b.status, FetchStatus::Ok);
    EXPECT_TRUE(b.document.empty());
    EXPECT_EQ(b.crc_received, 0);
  }
  EXPECT_EQ(ParseFetchedBlock(std::string("\x00", 1)).status, FetchStatus::ShortRead);
  EXPECT_EQ(ParseFetchedBlock(Answer("abc", 0).substr(0, 6)).status, FetchStatus::ShortRead);
  const std::string over = std::string("\x27\x11", 2) + std::string(10001, 'x');  // 10001
  EXPECT_EQ(ParseFetchedBlock(over).status, FetchStatus::TooLong);
  const std::string limit = std::string("\x27\x10", 2) + std::string(10000, 'x');  // 10000
  EXPECT_EQ(ParseFetchedBlock(limit).document.size(), 9998u);
}

TEST(CopyRender, MarkupBecomesStyledRunsAndLineBreaks) {
  EXPECT_EQ(RenderCopyBlock("^BTOTAL^N 5^L"),
            (std::vector<TextRun>{{"TOTAL", true}, {" 5\n", false}}));
  // ^C^L and a CR LF in the text each make one line break; ^H ends bold like ^N.
  EXPECT_EQ(RenderCopyBlock("a^C^Lb\r\nc\rd^Bx^Hy"),
            (std::vector<TextRun>{{"a\nb\nc\nd", false}, {"x", true}, {"y", false}}));
  // Unknown markup stays visible; a "^" at the very end is shown; bold at the end adds nothing.
  EXPECT_EQ(RenderCopyBlock("^Xa^"), (std::vector<TextRun>{{"^Xa^", false}}));
  EXPECT_EQ(RenderCopyBlock("a^B"), (std::vector<TextRun>{{"a", false}}));
  EXPECT_EQ(RenderCopyBlock("\xe1"), (std::vector<TextRun>{{"\xe1", false}}));
  EXPECT_TRUE(RenderCopyBlock("").empty());
}

}  // namespace
}  // namespace kv
