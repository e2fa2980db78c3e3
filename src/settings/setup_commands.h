#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/config.h"

// The commands that program the printer's own settings from the settings dialog: the bytes
// each sends, the checks on the dialog's fields, and the reading of the currency record. The
// VAT and rounding records are read with ParseVatRecord and ParseRoundingRecord.

namespace kv {

// ---- VAT rates (BitBtn_naplndph)

// The rates may change only while all twelve amounts of the device record are zero.
bool VatRatesChangeable(const std::array<double, 12>& amounts);
// Edit_dph1 ... Edit_dph5 as typed. Empty when one of them is not one or two digits (an empty
// edit included): then nothing is sent and message kMsgVatEditInvalid says why.
std::optional<std::array<uint8_t, 5>> ParseVatEdits(const std::array<std::string, 5>& edits);
inline constexpr int kMsgVatEditInvalid = 192;
// "%c+d%d\r%d\r%d\r%d\r%d\r" of ESC and the five rates.
std::string BuildVatCommand(const std::array<uint8_t, 5>& rates);
// The VAT edits' key filter: digits and Backspace (8); each edit holds two characters.
inline bool VatKeyAccepted(char key) {
  return (key >= '0' && key <= '9') || key == 8;
}
inline constexpr int kVatEditMaxLength = 2;

// ---- rounding (Btn_zaokruhlenie)

// The six edits in the order Edit_dph_koef, Edit_dph_plus, Edit_suma_koef, Edit_suma_plus,
// Edit_informacna_koef, Edit_informacna_plus, as their masks read. Gives the three texts
// "%c+z1%s\r%s\r", "%c+z2..." and "%c+z3...", sent in this order.
std::array<std::string, 3> BuildRoundingCommands(const std::array<std::string, 6>& edits);
// A masked value as the printer takes it, every place filled: `before_point` digits, a point and
// four digits ("9.9999" for rounding, "99.9999" for the currency rate). A text the mask left
// with empty places ("3.1") is not sent.
bool MaskedValueComplete(std::string_view text, size_t before_point);

// ---- currencies (Btn_napln)

extern const std::array<const char*, 6> kDualCurrencies;    // CB_dualna
// ESC "+M", "1" + active position, "1" + dual position, the rate text (MaskEdit_eurokurz),
// CR. Empty when a position is outside its list (nothing selected).
std::optional<std::string> BuildCurrencyCommand(int active, int dual, std::string_view rate);

// The currency record "M": the first byte minus "1" is the active currency, the second minus
// "1" the dual one, and the bytes from the third up to the last two (dropped) the rate text.
// A value the record does not carry, or a position outside its list, is absent and leaves
// the shown value as it is.
struct CurrencySetup {
  std::optional<int> active;
  std::optional<int> dual;
  std::optional<std::string> rate;
};
CurrencySetup ParseCurrencyRecord(std::string_view record);
// ReadCurrencySetup's effect on the running settings: the active index (mena) and the rate
// text (kurz) the printer holds. Nothing is written to the file.
void ApplyCurrencySetup(const CurrencySetup& setup, Config& cfg);

// ---- erasing the electronic journal (Btn_vymaz) and test mode (Btn_test)

// One byte for WriteComChar and its wait limit.
struct TimedByte {
  uint8_t byte;
  uint32_t limit_ms;
};
// ESC "~CLEAR" CR: ESC with 1000 ms, the others with 100 ms. Nothing is read back.
extern const std::array<TimedByte, 8> kJournalErase;

// ESC "+T0" while the printer is in test mode (leave it), else ESC "+T1"; no CR.
std::string BuildTestModeCommand(bool in_test_mode);
// Btn_test's caption: message 57 while in test mode, else 58.
inline int TestModeButtonMessage(bool in_test_mode) {
  return in_test_mode ? 57 : 58;
}

// ---- drawer (Btn_open, and the drawer command stored on save)

using DrawerBytes = std::array<uint8_t, 10>;
// The items of `otvor`, and the bytes of its first five rows; the last row, "Zadane rucne", is
// the ten values of the OPEN section.
extern const std::array<const char*, 6> kDrawerNames;
extern const std::array<DrawerBytes, 5> DrawerSequences;
inline constexpr int kManualDrawerRow = 5;
inline constexpr uint32_t kDrawerByteLimitMs = 300;
// The row's ten bytes (zeros included); for the manual row each configured value's low byte.
// Empty when no row is selected (or the position is outside the table): nothing is sent.
std::optional<DrawerBytes> DrawerSequence(int row, const std::array<int32_t, 10>& manual);
// Saving the settings: the selected row's bytes become the drawer command (OPEN "0" ... "9")
// and the row the drawer type (OPEN "idx"). Without a selected row nothing changes (false).
bool ApplyDrawerRow(int row, Config& cfg);

}  // namespace kv
