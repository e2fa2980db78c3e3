// Checks the Slovak and English language and message files as the build ships them beside the
// program (the tests run in the build directory).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "base/ini_file.h"
#include "lang/codepage.h"
#include "lang/language_map.h"
#include "lang/message_file.h"

namespace kv {
namespace {

// Every message number the program uses.
std::set<int> UsedMessages() {
  std::set<int> used = {1, 2};
  const std::pair<int, int> ranges[] = {{4, 38},   {40, 73},   {76, 79},
                                        {81, 119}, {121, 152}, {170, 170}, {180, 186},
                                        {190, 193}, {200, 200}, {210, 210}, {220, 220},
                                        {230, 238}, {240, 249}};
  for (const auto& [first, last] : ranges)
    for (int n = first; n <= last; ++n) used.insert(n);
  return used;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The shipped file's blocks read the plain way: one "[n]" line, then its text lines.
std::map<int, std::string> SplitBlocks(const std::string& file) {
  std::map<int, std::string> blocks;
  std::istringstream in(file);
  std::string line;
  int current = -1;
  bool first_line = true;
  while (std::getline(in, line)) {
    const bool had_cr = !line.empty() && line.back() == '\r';
    if (had_cr) line.pop_back();
    if (!line.empty() && line.front() == '[') {
      current = std::stoi(line.substr(1));
      blocks[current];
      first_line = true;
      continue;
    }
    if (!first_line) blocks[current] += "\r\n";
    blocks[current] += line;
    first_line = false;
  }
  return blocks;
}

// Each shipped language: its message file and language file.
struct ShippedPair {
  const char* msg;
  const char* lng;
};

class ShippedFiles : public ::testing::TestWithParam<ShippedPair> {};

INSTANTIATE_TEST_SUITE_P(Languages, ShippedFiles,
                         ::testing::Values(ShippedPair{"kv4910_sk.msg", "kv4910_sk.lng"},
                                           ShippedPair{"kv4910_en.msg", "kv4910_en.lng"}));

TEST_P(ShippedFiles, EveryUsedMessageHasItsTextAndNothingElseIsFilled) {
  const std::string file = ReadFile(GetParam().msg);
  ASSERT_FALSE(file.empty()) << GetParam().msg << " is not beside the program";
  MessageTable table;
  ParseMessages(file, table);

  const std::set<int> used = UsedMessages();
  for (int n = 0; n < MessageTable::kSlots; ++n) {
    const std::string text = table.Text(n);
    if (used.count(n)) {
      EXPECT_FALSE(text.empty()) << "message " << n;
      EXPECT_LT(text.size(), static_cast<size_t>(MessageTable::kSlotSize)) << "message " << n;
      EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(text)), text) << "message " << n;
    } else {
      EXPECT_TRUE(text.empty()) << "message " << n << " is not used: " << text;
    }
  }
  // The last message must not keep a line end.
  EXPECT_NE(file.back(), '\n');
}

TEST_P(ShippedFiles, LoaderReadsExactlyTheTextsOfTheFile) {
  const std::string file = ReadFile(GetParam().msg);
  MessageTable table;
  ASSERT_EQ(ReadMessageFile(GetParam().msg, table), MessageFileStatus::Loaded);
  const std::map<int, std::string> blocks = SplitBlocks(file);
  EXPECT_EQ(blocks.size(), UsedMessages().size());
  for (const auto& [number, text] : blocks) EXPECT_EQ(table.Text(number), text) << number;

  // A few texts whose exact form other code relies on: prefixes and default file names, the
  // same in every language.
  EXPECT_EQ(table.Text(30), "blocek.txt");
  EXPECT_EQ(table.Text(31), "zurnal.txt");
  EXPECT_EQ(table.Text(37), "zaloha1.txt");
  EXPECT_EQ(table.Text(38), "zaloha2.txt");
  for (int prefix : {35, 41, 42}) EXPECT_EQ(table.Text(prefix).back(), ' ');  // a port name follows
  EXPECT_LE(table.Text(82).size(), 18u);  // right-aligned in 18 characters on the receipt
  const std::string filter = table.Text(88);
  EXPECT_EQ(std::count(filter.begin(), filter.end(), '|'), 3);  // a file dialog's filter
}

TEST(ShippedMessages, SlovakTextsTheTillShows) {
  MessageTable table;
  ASSERT_EQ(ReadMessageFile("kv4910_sk.msg", table), MessageFileStatus::Loaded);
  EXPECT_EQ(Cp1250ToUtf8(table.Text(147)), "Vklad");
  EXPECT_EQ(Cp1250ToUtf8(table.Text(150)), "Vrátené");
}

// The keys of both files: every control's key and the tenders' names.
std::set<std::string> KnownKeys() {
  std::set<std::string> known;
  for (const LanguageKey& key : LanguageKeys())
    known.insert(std::string(key.section) + "/" + key.key);
  for (size_t i = 0; i < 10; ++i)
    known.insert(std::string(kTenderNameSection) + "/" + TenderNameKey(i));
  return known;
}

TEST_P(ShippedFiles, EveryKeyHasATextAndNoOtherKeysAreThere) {
  const IniFile lng(GetParam().lng);
  ASSERT_TRUE(lng.exists()) << GetParam().lng << " is not beside the program";
  const std::set<std::string> known = KnownKeys();
  for (const std::string& name : known) {
    const size_t slash = name.find('/');
    const std::string value = lng.ReadString(name.substr(0, slash), name.substr(slash + 1), "");
    EXPECT_FALSE(value.empty()) << name;
    EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(value)), value) << name;
  }
  EXPECT_EQ(known.size(), 263u);

  std::istringstream in(ReadFile(GetParam().lng));
  std::string line, section;
  int keys = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.front() == '[') {
      section = line.substr(1, line.find(']') - 1);
      continue;
    }
    ++keys;
    const std::string key = section + "/" + line.substr(0, line.find('='));
    EXPECT_EQ(known.count(key), 1u) << key << " feeds no control";
  }
  EXPECT_EQ(keys, 263);
}

// The keys ("SECTION/KEY") of a language file, or the numbers of a message file's headers, as
// the file itself lists them.
std::set<std::string> FileKeys(const std::string& path, bool messages) {
  std::istringstream in(ReadFile(path));
  std::set<std::string> keys;
  std::string line, section;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (messages) {
      if (!line.empty() && line.front() == '[') keys.insert(line);
    } else if (!line.empty() && line.front() == '[') {
      section = line;
    } else if (line.find('=') != std::string::npos) {
      keys.insert(section + line.substr(0, line.find('=')));
    }
  }
  return keys;
}

TEST(ShippedPairs, EnglishAndSlovakHaveTheSameKeysAndMessageNumbers) {
  const std::set<std::string> sk_keys = FileKeys("kv4910_sk.lng", false);
  const std::set<std::string> en_keys = FileKeys("kv4910_en.lng", false);
  ASSERT_FALSE(sk_keys.empty());
  for (const std::string& key : sk_keys)
    EXPECT_EQ(en_keys.count(key), 1u) << key << " lacks in English";
  for (const std::string& key : en_keys)
    EXPECT_EQ(sk_keys.count(key), 1u) << key << " lacks in Slovak";

  const std::set<std::string> sk_numbers = FileKeys("kv4910_sk.msg", true);
  const std::set<std::string> en_numbers = FileKeys("kv4910_en.msg", true);
  ASSERT_FALSE(sk_numbers.empty());
  for (const std::string& n : sk_numbers)
    EXPECT_EQ(en_numbers.count(n), 1u) << n << " lacks in English";
  for (const std::string& n : en_numbers)
    EXPECT_EQ(sk_numbers.count(n), 1u) << n << " lacks in Slovak";
}

TEST(ShippedPairs, EnglishIsPlainAsciiAndItsPrintedTextsFitTheReceipt) {
  for (const char* name : {"kv4910_en.lng", "kv4910_en.msg"}) {
    const std::string bytes = ReadFile(name);
    EXPECT_EQ(std::count_if(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; }), 0)
        << name;
  }
  MessageTable table;
  ASSERT_EQ(ReadMessageFile("kv4910_en.msg", table), MessageFileStatus::Loaded);
  EXPECT_EQ(table.Text(69), "Discount");
  EXPECT_EQ(table.Text(81), "            CASH COUNT");
  EXPECT_EQ(table.Text(82), "Total in till:");
}

}  // namespace
}  // namespace kv
