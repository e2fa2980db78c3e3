// What the HTTP interface lets in: the token and the wrong-token limit, the settings it starts
// with, and bodies that name a field twice.
#include <gtest/gtest.h>

#include "api/http_settings.h"
#include "api/json_names.h"
#include "api/token_gate.h"
#include "base/ini_file.h"

namespace kv {
namespace {

constexpr const char* kRight = "Bearer 0123456789abcdef";

TEST(TokenGate, TwentyWrongTokensAMinuteFromOneAddressAreThenRefusedForAMinute) {
  TokenGate gate("0123456789abcdef");
  int64_t now = 1'000'000;
  for (int i = 1; i <= 20; ++i) EXPECT_EQ(gate.Check("Bearer wrong", "10.0.0.5", now + i)->status, 401);
  EXPECT_EQ(gate.Check("Bearer wrong", "10.0.0.5", now + 21)->status, 429);
  EXPECT_FALSE(gate.Check(kRight, "10.0.0.5", now + 22));  // the right token is always served
  EXPECT_EQ(gate.Check("", "10.0.0.6", now + 23)->status, 401);  // another address
  EXPECT_EQ(gate.Check("Bearer wrong", "10.0.0.5", now + 60'020)->status, 429);
  EXPECT_EQ(gate.Check("Bearer wrong", "10.0.0.5", now + 121'000)->status, 401);
}

TEST(TokenGate, TheReadOnlyTokenPassesAndIsToldFromTheToken) {
  TokenGate gate("0123456789abcdef", "fedcba9876543210");
  EXPECT_FALSE(gate.Check("Bearer fedcba9876543210", "10.0.0.5", 0));
  EXPECT_TRUE(gate.ReadOnly("Bearer fedcba9876543210"));
  EXPECT_FALSE(gate.Check(kRight, "10.0.0.5", 1));
  EXPECT_FALSE(gate.ReadOnly(kRight));
  // Without a read-only token an empty bearer is no token at all.
  TokenGate full_only("0123456789abcdef");
  EXPECT_EQ(full_only.Check("Bearer ", "10.0.0.5", 2)->status, 401);
  EXPECT_FALSE(full_only.ReadOnly("Bearer "));
}

TEST(TokenGate, WrongTokensAreReportedOncePerAddressAndQuietAddressesForgotten) {
  TokenGate gate("0123456789abcdef");
  gate.Check("Bearer a", "10.0.0.5", 0);
  gate.Check("Bearer b", "10.0.0.5", 1);
  gate.Check("Basic x", "10.0.0.6", 2);
  EXPECT_EQ(gate.TakeReport(60'000),
            (std::vector<std::string>{"HTTP: 2 poziadaviek so zlym tokenom z 10.0.0.5",
                                      "HTTP: 1 poziadaviek so zlym tokenom z 10.0.0.6"}));
  EXPECT_TRUE(gate.TakeReport(120'000).empty());
}

TEST(JsonNames, AFieldNamedTwiceInOneObjectIsFound) {
  EXPECT_TRUE(HasRepeatedName(R"({"a":1,"a":2})"));
  EXPECT_TRUE(HasRepeatedName(R"({"items":[{"name":"x","name":"y"}]})"));
  EXPECT_FALSE(HasRepeatedName(R"({"a":{"a":1},"b":[{"a":1},{"a":2}]})"));
  EXPECT_FALSE(HasRepeatedName(""));
  EXPECT_FALSE(HasRepeatedName("{not json"));
}

TEST(HttpSettingsRead, AValueThatIsNotAWholeNumberInRangeKeepsTheInterfaceOff) {
  struct Case {
    const char* section;
    bool enabled;
    const char* problem;  // "" when it may run
  };
  const Case cases[] = {
      {"enabled=1\ntoken=0123456789abcdef\nport=4911\nuser=2\n", true, ""},
      {"enabled=0\nport=abc\n", false, ""},
      {"token=0123456789abcdef\n", false, ""},
      {"enabled=yes\ntoken=0123456789abcdef\n", false, "enabled musi byt 0 alebo 1"},
      {"enabled=1\ntoken=0123456789abcdef\nport=abc\n", true, "neplatny port (1 az 65535)"},
      {"enabled=1\ntoken=0123456789abcdef\nport=70000\n", true, "neplatny port (1 az 65535)"},
      {"enabled=1\ntoken=0123456789abcdef\nuser=abc\n", true, "neplatny user (0 az 2)"},
      {"enabled=1\ntoken=0123456789abcde\n", true, "token je kratsi ako 16 znakov"},
      {"enabled=1\n", true, "v sekcii HTTP chyba token"},
      {"enabled=1\ntoken=0123456789abcdef\nmetrics_token=fedcba9876543210\nprobe_s=30\n", true, ""},
      {"enabled=1\ntoken=0123456789abcdef\nprobe_s=-1\n", true, "neplatny probe_s (0 az 86400)"},
      {"enabled=1\ntoken=0123456789abcdef\nmetrics_token=short\n", true,
       "metrics_token je kratsi ako 16 znakov"},
      {"enabled=1\ntoken=0123456789abcdef\nmetrics_token=0123456789abcdef\n", true,
       "metrics_token sa nesmie zhodovat s tokenom"},
  };
  for (const Case& c : cases) {
    const HttpSettings s = ReadHttpSettings(IniFile::FromText(std::string("[HTTP]\n") + c.section));
    EXPECT_EQ(s.enabled, c.enabled) << c.section;
    EXPECT_EQ(s.problem.value_or(""), *c.problem ? std::string("HTTP rozhranie vypnute: ") + c.problem : "")
        << c.section;
  }
}

TEST(HttpSettingsRead, AnAddressBeyondThisMachineIsNoted) {
  HttpSettings s;
  EXPECT_FALSE(HttpSettingsNote(s));
  s.address = "0.0.0.0";
  EXPECT_EQ(HttpSettingsNote(s).value_or(""),
            "HTTP rozhranie pocuva na 0.0.0.0: token prechadza sietou nesifrovany");
}

}  // namespace
}  // namespace kv
