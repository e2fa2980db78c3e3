#include "lang/codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

namespace kv {
namespace {

// Converts with the C library's own table, an independent reference for ours.
std::string IconvCp1250ToUtf8(const std::string& in) {
  iconv_t cd = iconv_open("UTF-8", "CP1250");
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
  std::string out(in.size() * 4, '\0');
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char* dst = out.data();
  size_t dst_left = out.size();
  const size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) return "<invalid>";
  out.resize(out.size() - dst_left);
  return out;
}

TEST(Codepage, EveryDefinedByteMatchesTheSystemTable) {
  const unsigned char undefined[] = {0x81, 0x83, 0x88, 0x90, 0x98};
  for (int b = 0x20; b <= 0xFF; ++b) {
    if (std::find(std::begin(undefined), std::end(undefined), b) != std::end(undefined)) continue;
    const std::string byte(1, static_cast<char>(b));
    const std::string reference = IconvCp1250ToUtf8(byte);
    if (reference == "<no iconv>") GTEST_SKIP() << "no CP1250 in iconv";
    EXPECT_EQ(Cp1250ToUtf8(byte), reference) << "byte 0x" << std::hex << b;
  }
}

TEST(Codepage, EveryByteRoundTrips) {
  for (int b = 0; b <= 0xFF; ++b) {
    const std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(byte)), byte) << "byte " << b;
  }
}

TEST(Codepage, SlovakTextBothWays) {
  const std::string utf8 = "Hotovosť: Šeky, Stravné lístky, Ľubovoľný účet – ôsmy dôvod ä";
  const std::string cp = Utf8ToCp1250(utf8);
  EXPECT_EQ(cp.size(), 61u);  // one byte per character
  EXPECT_EQ(Cp1250ToUtf8(cp), utf8);
}

TEST(Codepage, UnmappableAndMalformedBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1250("a\xE2\x82\xBD" "b"), "a?b");  // ruble sign
  EXPECT_EQ(Utf8ToCp1250("a\xC3" "b"), "a?b");           // cut sequence
  EXPECT_EQ(Utf8ToCp1250("\xFF"), "?");
}

}  // namespace
}  // namespace kv
