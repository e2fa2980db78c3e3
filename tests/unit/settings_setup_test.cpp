#include <gtest/gtest.h>

#include <string>

#include "link/device_record.h"
#include "settings/setup_boxes.h"
#include "settings/setup_commands.h"
#include "support/escape_text.h"

namespace kv {
namespace {

using test::E;

TEST(SetupVat, RatesOnlyWhileAmountsAreZeroAndOnlyFromValidEdits) {
  std::array<double, 12> amounts{};
  EXPECT_TRUE(VatRatesChangeable(amounts));
  amounts[11] = 0.01;
  EXPECT_FALSE(VatRatesChangeable(amounts));
  amounts[11] = -3.0;  // a return leaves a negative amount: still not zero
  EXPECT_FALSE(VatRatesChangeable(amounts));

  const auto rates = ParseVatEdits({"20", "10", "0", "05", "99"});
  ASSERT_TRUE(rates);
  EXPECT_EQ(BuildVatCommand(*rates), E + "+d20\r10\r0\r5\r99\r");
  EXPECT_EQ(BuildVatCommand({0, 0, 0, 0, 0}), E + "+d0\r0\r0\r0\r0\r");
  for (const auto& edits : {std::array<std::string, 5>{"20", "", "0", "0", "0"},
                            std::array<std::string, 5>{"20", "1a", "0", "0", "0"},
                            std::array<std::string, 5>{"20", "100", "0", "0", "0"}})
    EXPECT_FALSE(ParseVatEdits(edits)) << edits[1];
  EXPECT_TRUE(VatKeyAccepted('7'));
  EXPECT_TRUE(VatKeyAccepted('\b'));
  EXPECT_FALSE(VatKeyAccepted('.'));
}

TEST(SetupCommands, RoundingCurrencyTestModeAndJournalEraseBytes) {
  const auto rounding =
      BuildRoundingCommands({"0.0500", "0.0250", "1.0000", "0.5000", "0.1000", "0.0000"});
  EXPECT_EQ(rounding[0], E + "+z10.0500\r0.0250\r");
  EXPECT_EQ(rounding[1], E + "+z21.0000\r0.5000\r");
  EXPECT_EQ(rounding[2], E + "+z30.1000\r0.0000\r");

  EXPECT_EQ(BuildCurrencyCommand(0, 1, "30.1260"), E + "+M1230.1260\r");
  EXPECT_EQ(BuildCurrencyCommand(3, 5, "01.0000"), E + "+M4601.0000\r");
  EXPECT_FALSE(BuildCurrencyCommand(-1, 1, "30.1260"));
  EXPECT_FALSE(BuildCurrencyCommand(0, 6, "30.1260"));

  EXPECT_EQ(BuildTestModeCommand(true), E + "+T0");
  EXPECT_EQ(BuildTestModeCommand(false), E + "+T1");

  std::string erase;
  for (const TimedByte& b : kJournalErase) erase += static_cast<char>(b.byte);
  EXPECT_EQ(erase, E + "~CLEAR\r");
  EXPECT_EQ(kJournalErase[0].limit_ms, 1000u);
  EXPECT_EQ(kJournalErase[7].limit_ms, 100u);
}

TEST(SetupRoundingRecord, FewerThanSixLinesFillOnlyTheFirstEdits) {
  std::array<RoundingLine, 6> lines;
  for (RoundingLine& line : lines) line = "old";
  EXPECT_EQ(ParseRoundingRecord("0.0500\r\n0.0250\r\n", lines), 2u);
  EXPECT_EQ(lines[1], "0.0250");
  EXPECT_EQ(lines[2], "old");
}

TEST(SetupCurrencyRecord, ReadBackKeepsWhatTheRecordDoesNotCarry) {
  Config cfg;
  CurrencySetup full = ParseCurrencyRecord("2330.1260\r\n");
  EXPECT_EQ(full.active, 1);
  EXPECT_EQ(full.dual, 2);
  EXPECT_EQ(full.rate, "30.1260");
  ApplyCurrencySetup(full, cfg);
  EXPECT_EQ(cfg.mena, 1);
  EXPECT_EQ(cfg.kurz, "30.1260");

  // A position outside the lists and a record too short for a rate change nothing.
  ApplyCurrencySetup(ParseCurrencyRecord("97"), cfg);
  EXPECT_EQ(cfg.mena, 1);
  EXPECT_EQ(cfg.kurz, "30.1260");
  const CurrencySetup odd = ParseCurrencyRecord("06");
  EXPECT_FALSE(odd.active);
  EXPECT_EQ(odd.dual, 5);
  EXPECT_FALSE(ParseCurrencyRecord("").active);
}

TEST(SetupDrawer, RowsManualRowAndNoSelection) {
  const std::array<int32_t, 10> manual = {27, 112, 0, 25, 250, 0x1FF, -1, 0, 0, 0};
  EXPECT_EQ(DrawerSequence(3, manual), (DrawerBytes{27, 70, 7, 3, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(DrawerSequence(0, manual), (DrawerBytes{27, 70, 27, 112, 1, 20, 150, 3, 0, 0}));
  EXPECT_EQ(DrawerSequence(kManualDrawerRow, manual),
            (DrawerBytes{27, 112, 0, 25, 250, 0xFF, 0xFF, 0, 0, 0}));
  EXPECT_FALSE(DrawerSequence(-1, manual));
  EXPECT_FALSE(DrawerSequence(6, manual));
  EXPECT_STREQ(kDrawerNames[3], "STAR 4-2");

  Config cfg;
  cfg.drawer_idx = 5;
  EXPECT_FALSE(ApplyDrawerRow(-1, cfg));
  EXPECT_EQ(cfg.drawer_idx, 5);
  EXPECT_TRUE(ApplyDrawerRow(4, cfg));
  EXPECT_EQ(cfg.drawer_idx, 4);
  EXPECT_EQ(cfg.drawer, (std::array<int32_t, 10>{27, 111, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(SetupBoxes, QuestionsDefaultToNoAndCarryTheirMessages) {
  MessageTable messages;
  for (int n : {40, 43, 44, 45, 51, 52, 53, 54})
    std::snprintf(messages.Slot(n).data(), MessageTable::kSlotSize, "m%d", n);
  for (SetupBox question : {SetupBox::VatQuestion, SetupBox::CurrencyQuestion,
                            SetupBox::EraseQuestion, SetupBox::EraseConfirmation}) {
    const Box box = MakeSetupBox(question, messages);
    EXPECT_EQ(box.buttons, BoxButtons::YesNo);
    EXPECT_EQ(box.default_button, 1);
  }
  const Box erase = MakeSetupBox(SetupBox::EraseConfirmation, messages);
  EXPECT_EQ(erase.text, "m45");
  EXPECT_EQ(erase.caption, "m44");
  EXPECT_EQ(BoxCaption(MakeSetupBox(SetupBox::CurrencyQuestion, messages)), "KV4910");
  const Box locked = MakeSetupBox(SetupBox::VatLocked, messages);
  EXPECT_EQ(locked.buttons, BoxButtons::Ok);
  EXPECT_EQ(locked.text, "m51");
  EXPECT_EQ(locked.caption, "m52");
}

}  // namespace
}  // namespace kv
