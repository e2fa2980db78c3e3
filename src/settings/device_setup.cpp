#include "settings/device_setup.h"

#include "base/config.h"
#include "base/view.h"
#include "base/view_names.h"
#include "lang/localization.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"
#include "settings/settings_messages.h"
#include "settings/setup_commands.h"

namespace kv {

DeviceSetup::DeviceSetup(Parts parts) : p_(parts) {}

BoxAnswer DeviceSetup::Show(SetupBox which) {
  return p_.boxes.Show(MakeSetupBox(which, p_.lang.messages()));
}

void DeviceSetup::ShowVatRates() {
  const std::array<uint8_t, 5>& rates = p_.readouts.vatRates();
  for (size_t i = 0; i < rates.size(); ++i)
    p_.view.SetText(view_names::kVatEdits[i], std::to_string(rates[i]));
}

void DeviceSetup::BitBtn_naplndphClick(const std::array<std::string, 5>& edits) {
  if (!VatRatesChangeable(p_.readouts.device_record().amounts1)) {
    Show(SetupBox::VatLocked);
    return;
  }
  // The edits are checked before the question: nothing is asked for rates that cannot be sent.
  const std::optional<std::array<uint8_t, 5>> rates = ParseVatEdits(edits);
  if (!rates) {
    Show(SetupBox::VatEditInvalid);
    return;
  }
  if (Show(SetupBox::VatQuestion) != BoxAnswer::Yes) return;
  p_.readouts.SetVatRates(*rates);
  if (p_.link.InitPort(0) == 1) {
    const std::string command = BuildVatCommand(*rates);
    p_.link.WriteBlock(command.data(), static_cast<int>(command.size()));
    p_.readouts.ReadVatRates();
  } else {
    Show(SetupBox::VatNotReady);
  }
  ShowVatRates();
}

void DeviceSetup::RB3900Show() {
  p_.readouts.ReadVatRates();
  ShowVatRates();
}

void DeviceSetup::Btn_zaokruhlenieClick(const std::array<std::string, 6>& edits) {
  for (const std::string& edit : edits) {
    if (!MaskedValueComplete(edit, 1)) {
      Show(SetupBox::ValueIncomplete);
      return;
    }
  }
  if (p_.link.InitPort(0) != 1) {
    Show(SetupBox::RoundingNotReady);
    return;
  }
  for (const std::string& command : BuildRoundingCommands(edits))
    p_.link.WriteBlock(command.data(), static_cast<int>(command.size()));
  p_.readouts.ReadRoundingRecord();
  Show(SetupBox::RoundingSent);
}

void DeviceSetup::Btn_naplnClick(int active, int dual, const std::string& rate) {
  // An incomplete rate is neither sent nor stored.
  if (!MaskedValueComplete(rate, 2)) {
    Show(SetupBox::ValueIncomplete);
    return;
  }
  if (Show(SetupBox::CurrencyQuestion) != BoxAnswer::Yes) return;
  const std::optional<std::string> command = BuildCurrencyCommand(active, dual, rate);
  if (command) p_.cfg.mena = active;
  p_.cfg.kurz = rate;

  IniFile ini(ConfigFilePath(p_.program_dir));
  if (!WriteCurrency(ini, p_.cfg))
    p_.boxes.App(p_.lang.Msg(kMsgCurrencyNotWritten) + "\n" + ini.path(), BoxButtons::Ok,
                 BoxIcon::Warning);

  // Without a chosen currency there is nothing to send; the read-back shows what the printer
  // holds.
  if (command && p_.link.InitPort(0) == 1) p_.link.WriteCommand(*command);
  ReadCurrencySetup();
}

void DeviceSetup::ReadCurrencySetup() {
  if (p_.link.ComPort1().Connected()) {
    const CurrencySetup setup = ParseCurrencyRecord(p_.readouts.ReadStatusRecord('M'));
    ApplyCurrencySetup(setup, p_.cfg);
    if (setup.active) p_.view.SetItemIndex(view_names::kActiveCurrency, *setup.active);
    if (setup.dual) p_.view.SetItemIndex(view_names::kDualCurrency, *setup.dual);
  }
  p_.view.SetText(view_names::kCurrencyRate, p_.cfg.kurz);
}

void DeviceSetup::Btn_vymazClick() {
  if (Show(SetupBox::EraseQuestion) != BoxAnswer::Yes) return;
  if (Show(SetupBox::EraseConfirmation) != BoxAnswer::Yes) return;
  if (p_.link.InitPort(0) != 1) return;
  // A byte that cannot be sent ends it: the rest alone would reach the printer as text.
  for (const TimedByte& b : kJournalErase)
    if (p_.link.WriteComChar(b.byte, b.limit_ms) != 1) return;
  p_.link.WaitTxEmpty();
}

void DeviceSetup::ShowTextsAgain() {
  if (test_button_shown_) ShowTestModeButton();
}

void DeviceSetup::ShowTestModeButton() {
  test_button_shown_ = true;
  p_.view.SetText(view_names::kTestModeButton,
                  p_.lang.Msg(TestModeButtonMessage(p_.readouts.test_mode() == 1)));
}

void DeviceSetup::Btn_testClick() {
  const std::string command = BuildTestModeCommand(p_.readouts.test_mode() == 1);
  if (p_.link.InitPort(0) != 1) {
    Show(SetupBox::TestModeNotReady);
    return;
  }
  p_.link.WriteBlock(command.data(), static_cast<int>(command.size()));
  p_.readouts.ReadInfoRecord();
  ShowTestModeButton();
}

void DeviceSetup::TabSheet1Show() {
  ShowTestModeButton();
  p_.view.SetEnabled(view_names::kTestModeButton, p_.link.device_ready() == 1);
}

void DeviceSetup::Btn_openClick(int row) {
  const std::optional<DrawerBytes> bytes = DrawerSequence(row, p_.cfg.drawer);
  if (!bytes) return;
  PrinterLink& link = p_.link;
  if (!link.ComPort1().Connected() && link.AttachPort(p_.cfg.port, 512, 512) < 0) return;
  for (const uint8_t byte : *bytes)
    if (link.WriteComChar(byte, kDrawerByteLimitMs) != 1) return;
  link.WaitTxEmpty();
  link.DelayMs(100);
}

}  // namespace kv
