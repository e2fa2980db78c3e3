// Checks the Slovak language and message files as the build ships them beside the program
// (the tests run in the build directory).
#include <gtest/gtest.h>

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
                                        {230, 238}};
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

TEST(ShippedMessages, EveryUsedMessageHasItsTextAndNothingElseIsFilled) {
  const std::string file = ReadFile("kv4910_sk.msg");
  ASSERT_FALSE(file.empty()) << "kv4910_sk.msg is not beside the program";
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

TEST(ShippedMessages, LoaderReadsExactlyTheTextsOfTheFile) {
  const std::string file = ReadFile("kv4910_sk.msg");
  MessageTable table;
  ASSERT_EQ(ReadMessageFile("kv4910_sk.msg", table), MessageFileStatus::Loaded);
  const std::map<int, std::string> blocks = SplitBlocks(file);
  EXPECT_EQ(blocks.size(), UsedMessages().size());
  for (const auto& [number, text] : blocks) EXPECT_EQ(table.Text(number), text) << number;

  // A few texts whose exact form other code relies on: prefixes and default file names.
  EXPECT_EQ(table.Text(30), "blocek.txt");
  EXPECT_EQ(table.Text(31), "zurnal.txt");
  EXPECT_EQ(table.Text(35).back(), ' ');  // a port name follows
  EXPECT_EQ(Cp1250ToUtf8(table.Text(147)), "Vklad");
  EXPECT_EQ(Cp1250ToUtf8(table.Text(150)), "Vrátené");
  EXPECT_LE(table.Text(82).size(), 18u);  // right-aligned in 18 characters on the receipt
}

TEST(ShippedLanguage, EveryKeyHasATextAndNoOtherKeysAreThere) {
  const IniFile lng("kv4910_sk.lng");
  ASSERT_TRUE(lng.exists()) << "kv4910_sk.lng is not beside the program";
  std::set<std::string> known;
  for (const LanguageKey& key : LanguageKeys()) {
    known.insert(std::string(key.section) + "/" + key.key);
    const std::string value = lng.ReadString(key.section, key.key, "");
    EXPECT_FALSE(value.empty()) << key.section << " " << key.key;
    EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(value)), value) << key.key;
  }
  EXPECT_EQ(known.size(), 185u);

  std::istringstream in(ReadFile("kv4910_sk.lng"));
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
  EXPECT_EQ(keys, 185);
}

}  // namespace
}  // namespace kv
