#include <gtest/gtest.h>

#include <string>

#include "lang/message_file.h"

namespace kv {
namespace {

MessageTable Parse(const std::string& bytes) {
  MessageTable table;
  ParseMessages(bytes, table);
  return table;
}

// Numbers of the slots that hold a text.
std::vector<int> Filled(const MessageTable& table) {
  std::vector<int> filled;
  for (int n = 0; n < MessageTable::kSlots; ++n)
    if (!table.Text(n).empty()) filled.push_back(n);
  return filled;
}

TEST(MessageFile, TextEndsBeforeTheNextHeaderOrKeepsItsLineEndAtTheEndOfTheFile) {
  const std::string body = "[5]\r\nfirst line\r\n[6]\r\nsecond line";
  MessageTable table = Parse(body);
  EXPECT_EQ(table.Text(5), "first line");
  EXPECT_EQ(table.Text(6), "second line");

  table = Parse(body + "\r\n");
  EXPECT_EQ(table.Text(5), "first line");
  EXPECT_EQ(table.Text(6), "second line\r\n");

  // A text over several lines keeps its inner line ends.
  EXPECT_EQ(Parse("[7]\r\none\r\ntwo\r\n[8]\r\n").Text(7), "one\r\ntwo");
}

TEST(MessageFile, LfOnlyLineEndsLoseOnlyTheLf) {
  const MessageTable table = Parse("[5]\nfirst\n[6]\nx\n[7]\r\nmixed\r\n[8]\n\n[9]\nlast\n");
  EXPECT_EQ(table.Text(5), "first");
  EXPECT_EQ(table.Text(6), "x");
  EXPECT_EQ(table.Text(7), "mixed");
  EXPECT_EQ(table.Text(8), "");
  EXPECT_EQ(table.Text(9), "last\n");  // the end of the file: kept, as with CR LF
}

TEST(MessageFile, NumberIsTheHeadersDigitsAfterItsLastUnderscore) {
  const MessageTable table = Parse(
      "[12]\r\ntwelve\r\n[MSG_13]\r\nthirteen\r\n[1_2_14]\r\nfourteen\r\n[a1b5 c]\r\nfifteen\r\n"
      "[250]\r\nignored\r\n[MSG_999999999999999]\r\nignored too\r\n[249]\r\nlast");
  EXPECT_EQ(table.Text(12), "twelve");
  EXPECT_EQ(table.Text(13), "thirteen");
  EXPECT_EQ(table.Text(14), "fourteen");
  EXPECT_EQ(table.Text(15), "fifteen");
  EXPECT_EQ(table.Text(249), "last");
  EXPECT_EQ(Filled(table), (std::vector<int>{12, 13, 14, 15, 249}));
}

TEST(MessageFile, LaterBlockWinsEvenWhenItIsEmpty) {
  MessageTable table = Parse("[3]\r\nold text\r\n[3]\r\nnew\r\n[4]\r\nkept");
  EXPECT_EQ(table.Text(3), "new");  // no rest of "old text" behind it
  EXPECT_EQ(table.Text(4), "kept");

  table = Parse("[3]\r\nold text\r\n[3]\r\n[4]\r\nfour");
  EXPECT_EQ(table.Text(3), "");
  EXPECT_EQ(table.Text(4), "four");
}

TEST(MessageFile, BracketInsideATextStartsANewHeader) {
  const MessageTable table = Parse("[7]\r\nsee [8]\r\neight\r\n[9]\r\nnine");
  EXPECT_EQ(table.Text(7), "se");  // "see " less the two bytes before the header
  EXPECT_EQ(table.Text(8), "eight");
  EXPECT_EQ(table.Text(9), "nine");
}

TEST(MessageFile, TextsShorterThanTheLineEndAreEmpty) {
  const MessageTable table = Parse("[1]\r\n[2]\r\nx[3]\r\nab[4]\r\nabc[5]\r\n");
  EXPECT_EQ(table.Text(1), "");
  EXPECT_EQ(table.Text(2), "");
  EXPECT_EQ(table.Text(3), "");
  EXPECT_EQ(table.Text(4), "a");
}

TEST(MessageFile, TextBeforeTheFirstHeaderGoesToMessageZeroFromItsSecondByte) {
  EXPECT_EQ(Parse("XHello\r\n[1]\r\none").Text(0), "Hello");
  EXPECT_EQ(Parse("Xabc").Text(0), "abc");
  // A header line without digits names message 0 as well.
  EXPECT_EQ(Parse("[1]\r\none\r\n[none]\r\nzero").Text(0), "zero");
  EXPECT_EQ(Parse("[1]\r\none").Text(0), "");
}

TEST(MessageFile, HeaderWithoutLineEndEndsTheFile) {
  const MessageTable table = Parse("[1]\r\none\r\n[2]");
  EXPECT_EQ(table.Text(1), "one");
  EXPECT_EQ(Filled(table), std::vector<int>{1});
}

TEST(MessageFile, OverlongTextIsCutAtTheSlotsEnd) {
  const std::string long_text(400, 'a');
  const MessageTable table =
      Parse("[1]\r\n" + long_text + "\r\n[2]\r\ntwo\r\n[249]\r\n" + long_text);
  EXPECT_EQ(table.Text(1), std::string(MessageTable::kSlotSize - 1, 'a'));
  EXPECT_EQ(table.Text(2), "two");
  EXPECT_EQ(table.Text(249), std::string(MessageTable::kSlotSize - 1, 'a'));
  // A text of exactly 149 bytes fits whole.
  const std::string exact(149, 'b');
  EXPECT_EQ(Parse("[5]\r\n" + exact + "\r\n[6]\r\n").Text(5), exact);
}

TEST(MessageFile, BytesAreTakenUnchanged) {
  const std::string cp1250 =
      "\x8A"
      "ek \xE8\xED"
      "slo \x9E";  // Šek číslo ž
  EXPECT_EQ(Parse("[1]\r\n" + cp1250 + "\r\n[2]\r\n").Text(1), cp1250);
  EXPECT_TRUE(Filled(Parse("")).empty());
}

}  // namespace
}  // namespace kv
