#include "base/config.h"
#include "base/ini_file.h"
#include "base/view.h"
#include "base/view_names.h"
#include "lang/localization.h"
#include "link/printer_link.h"
#include "settings/settings_host.h"
#include "settings/settings_messages.h"
#include "settings/settings_session.h"

// The controls of the settings dialog that change the running settings as soon as they are
// clicked or left, and the users page.

namespace kv {

namespace names = view_names;

namespace {

// The directory part of a chosen file, without its trailing separator.
std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return {};
  return path.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace

void SettingsSession::Edit_inExit(const std::string& text) {
  p_.cfg.path_in = text;
}

void SettingsSession::Edit_outExit(const std::string& text) {
  p_.cfg.path_out = text;
}

void SettingsSession::Edit_zaloha1Exit(const std::string& text) {
  p_.cfg.backup1 = text;
}

void SettingsSession::Edit_zaloha2Exit(const std::string& text) {
  p_.cfg.backup2 = text;
}

void SettingsSession::RadioGroup1Click(int index) {
  p_.cfg.backup_date = index == 1;
}

void SettingsSession::SwitchClick(SettingsSwitch which, bool checked) {
  Config& cfg = p_.cfg;
  const int32_t value = checked ? 1 : 0;
  switch (which) {
    case SettingsSwitch::ReceiptCopies:
      cfg.copy_bl = value;
      break;
    case SettingsSwitch::DebugCopies:
      cfg.ladenie = value;
      break;
    case SettingsSwitch::ErrorFile:
      cfg.err_file = checked;
      break;
    case SettingsSwitch::ReleasePort:
      cfg.CLOSE_PORT = checked;
      break;
    case SettingsSwitch::MayQuit:
      cfg.UKONCI = checked;
      break;
    case SettingsSwitch::DeleteOnFailure:
      cfg.del_file = value;
      break;
    case SettingsSwitch::AutoDailyClose:
      cfg.auto_du = value;
      break;
  }
}

bool SettingsSession::ExpertEditExit(ExpertEdit which, const std::string& text) {
  const std::optional<int32_t> parsed = ParseInt32(text);
  if (!parsed || *parsed < 0) {
    p_.view.SetText(names::kExpertEdits[static_cast<size_t>(which)], "");
    return false;
  }
  const int32_t value = *parsed;
  if (which == ExpertEdit::InfoTime) {
    p_.cfg.time_info = value;
    return true;
  }
  const TComTimeouts& port = p_.link.ComPort1().Timeouts();
  ConfigTimeouts t{port.WriteTotalConstant, port.WriteTotalMultiplier, port.ReadTotalConstant,
                   port.ReadTotalMultiplier, port.ReadInterval};
  switch (which) {
    case ExpertEdit::WriteConstant:
      t.time_write = value;
      break;
    case ExpertEdit::WriteMultiplier:
      t.writemulti = value;
      break;
    case ExpertEdit::ReadConstant:
      t.readtotal = value;
      break;
    case ExpertEdit::ReadMultiplier:
      t.readmulti = value;
      break;
    case ExpertEdit::ReadInterval:
      t.readinterval = value;
      break;
    case ExpertEdit::InfoTime:
      break;
  }
  // The write multiplier is also the handshake wait per byte.
  p_.link.ApplyPortTimeouts(t);
  return true;
}

void SettingsSession::Btn_default_timeClick() {
  // Only the information time and the handshake wait change at once; the port takes its
  // time-outs when the edits are left or the settings are saved.
  const char* texts[] = {"5000", "5000", "2000", "200", "500", "7000"};
  for (size_t i = 0; i < names::kExpertEdits.size(); ++i)
    p_.view.SetText(names::kExpertEdits[i], texts[i]);
  p_.cfg.time_info = 7000;
  p_.cfg.handshake_wait = 5000;
  p_.view.SetText(names::kStartupDelay, "2000");
  p_.view.SetText(names::kPollingPeriod, "300");
  // Unticking the box is a click on it: the port is no longer released after each job.
  p_.view.SetChecked(names::kReleasePortAfterJobs, false);
  p_.cfg.CLOSE_PORT = false;
  p_.view.SetChecked(names::kDsrGating, true);
  p_.view.SetChecked(names::kCtsGating, true);
}

FileDialogSetup SettingsSession::FileDialogFor(FileChoice which) const {
  const Localization& lang = p_.lang;
  switch (which) {
    case FileChoice::InputFile:
      return {lang.Msg(kMsgInputFileName), {}, {}};
    case FileChoice::Journal:
      return {lang.Msg(kMsgJournalFileName), {}, {}};
    case FileChoice::InfoDir:
      return {"info.txt", {}, {}};
    case FileChoice::Backup1:
      return {lang.Msg(kMsgBackup1FileName), {}, {}};
    case FileChoice::Backup2:
      return {lang.Msg(kMsgBackup2FileName), {}, {}};
    case FileChoice::PriceList:
      return {"cennik.bin", lang.Msg(kMsgChoosePriceListFile), "bin files (*.bin *.BIN);;txt files (*.txt *.TXT)"};
  }
  return {};
}

void SettingsSession::FileChosen(FileChoice which, const std::optional<std::string>& path) {
  if (!path) return;
  Config& cfg = p_.cfg;
  auto take = [this](std::string& setting, const char* edit, const std::string& value) {
    setting = value;
    p_.view.SetText(edit, value);
  };
  switch (which) {
    case FileChoice::InputFile:
      take(cfg.path_in, names::kInputPath, *path);
      break;
    case FileChoice::Journal:
      take(cfg.path_out, names::kJournalPath, *path);
      break;
    case FileChoice::InfoDir:
      take(cfg.path_info, names::kInfoDir, DirectoryOf(*path));
      break;
    case FileChoice::Backup1:
      take(cfg.backup1, names::kBackupDir1, *path);
      break;
    case FileChoice::Backup2:
      take(cfg.backup2, names::kBackupDir2, *path);
      break;
    case FileChoice::PriceList:
      take(cfg.pokl_path_in, names::kPriceListPath, *path);
      break;
  }
}

void SettingsSession::CB_baudClick(int position) {
  const int32_t speeds[] = {9600, 57600, 115200};
  if (position < 0 || position > 2) return;
  p_.cfg.baud = speeds[position];
  p_.link.ApplyBaudRate();
}

void SettingsSession::CB_jazykClick(int position) {
  if (position < 0) return;
  p_.cfg.language = position;
  // Nothing keeps a copy of a message across this, so the new language's messages are taken at
  // once (a missing message file keeps the old ones, with its box).
  p_.lang.ReloadMessages();
  p_.lang.LoadLanguage(true, true, true);
  ShowTextsAgain();
  p_.host.LanguageChanged();
  // Tender names that are still built-in ones follow the language in their edits too.
  for (size_t i = 0; i < p_.cfg.plat.size(); ++i)
    if (!p_.cfg.plat_from_file[i]) p_.view.SetText(names::kTenderEdits[i], p_.cfg.plat[i].view());
}

void SettingsSession::Btn_registrujClick(bool messaging_ticked, const std::string& name) {
  if (messaging_ticked) p_.host.RegisterClientMessage(name);
}

void SettingsSession::PageShown(int page) {
  if (page == 1) device_.RB3900Show();
  if (page == 2) device_.TabSheet1Show();
}

// ---- users ---------------------------------------------------------------------------------

void SettingsSession::ShowUsers() {
  std::vector<std::string> users;
  for (int i = 0; i < 3; ++i) users.push_back(p_.users.user(i).name.str());
  p_.view.SetItems(names::kUserBox, users);
  p_.view.SetItemIndex(names::kUserBox, p_.users.currentUser());
  ShowRights();
}

void SettingsSession::ShowRights() {
  const UserRecord& user = p_.users.user(p_.users.currentUser());
  p_.view.SetText(names::kRightsGroup, user.name.view());
  for (const RightInfo& right : kRights)
    p_.view.SetChecked(std::string(names::kSettingsDialog) + "/" + right.check_box,
                       user.rights[static_cast<size_t>(right.index)] != 0);
}

void SettingsSession::CB_userClick(int selection) {
  const int previous = p_.users.currentUser();
  p_.view.SetItemText(names::kUserBox, previous, p_.users.user(previous).name.view());
  const int current = p_.users.PickUser(selection);
  p_.view.SetItemIndex(names::kUserBox, current);
  ShowRights();
}

void SettingsSession::CB_userChange(const std::string& name) {
  p_.users.RenameCurrentUser(name);
}

void SettingsSession::RightClick(int index, bool granted) {
  p_.users.SetRight(index, granted);
}

void SettingsSession::Edit_pwdEnter() {
  p_.view.SetText(names::kUserPassword, "");
}

void SettingsSession::Edit_pwdExit(const std::string& password, bool edited) {
  if (edited) p_.users.SetPassword(password);
}

}  // namespace kv
