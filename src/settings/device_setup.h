#pragma once

#include <array>
#include <string>

#include "settings/setup_boxes.h"

namespace kv {

class Localization;
class OperatorBoxes;
class PrinterLink;
class PrinterReadouts;
class View;
struct Config;

// The printer's own settings, programmed from the settings dialog: its VAT rates, rounding
// rules, currencies and test mode, the erasing of its electronic journal and the drawer test.
// Each command checks the dialog's fields, asks where the step cannot be undone (No is the
// default, so a box nobody answers sends nothing), sends its bytes and reads the setting back,
// so that the dialog shows what the printer really holds. The caller holds the printer's lease
// (the settings dialog does for as long as it is shown).
class DeviceSetup {
 public:
  struct Parts {
    Config& cfg;
    PrinterLink& link;
    PrinterReadouts& readouts;
    const Localization& lang;
    OperatorBoxes& boxes;
    View& view;
    const std::string& program_dir;  // where the currency goes into the configuration file
  };
  explicit DeviceSetup(Parts parts);

  // BitBtn_naplndph with Edit_dph1 ... Edit_dph5 as typed. Refused while any amount of the
  // device record is not zero; an edit that is not a number stops it before anything is sent.
  void BitBtn_naplndphClick(const std::array<std::string, 5>& edits);
  // The page "DPH" comes up: the rates the printer holds, into the edits.
  void RB3900Show();
  // Btn_zaokruhlenie with the six rounding edits (Edit_dph_koef, Edit_dph_plus, Edit_suma_koef,
  // Edit_suma_plus, Edit_informacna_koef, Edit_informacna_plus) as their masks read.
  void Btn_zaokruhlenieClick(const std::array<std::string, 6>& edits);
  // Btn_napln with the positions of CB_aktivna and CB_dualna and the text of MaskEdit_eurokurz.
  // The active currency and the rate go into the configuration file at once.
  void Btn_naplnClick(int active, int dual, const std::string& rate);
  // The currency record "M" into CB_aktivna, CB_dualna and the rate (only on an open port);
  // MaskEdit_eurokurz shows the rate kept in the running settings.
  void ReadCurrencySetup();
  // Btn_vymaz: two questions, then ESC "~CLEAR" CR.
  void Btn_vymazClick();
  // Btn_test: leaves the test mode the printer is in, or enters it.
  void Btn_testClick();
  // The page "Expert" comes up: Btn_test's caption, and the button usable only while the
  // printer is known to be ready.
  void TabSheet1Show();
  // Btn_open with the position of `otvor` (-1: none): the row's ten bytes, 300 ms each.
  void Btn_openClick(int row);
  // Btn_test's caption again, from the new message table, once the page has shown it.
  void ShowTextsAgain();

 private:
  BoxAnswer Show(SetupBox which);
  void ShowVatRates();
  void ShowTestModeButton();

  Parts p_;
  bool test_button_shown_ = false;  // Btn_test carries a message, not the language file's text
};

}  // namespace kv
