#include "settings/settings_session.h"

#include <filesystem>

#include "base/app_shell.h"
#include "base/config.h"
#include "base/operator_boxes.h"
#include "base/timer.h"
#include "base/view.h"
#include "base/view_names.h"
#include "lang/localization.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"
#include "settings/settings_host.h"
#include "settings/settings_messages.h"
#include "settings/setup_commands.h"

// The settings dialog's life: creation, opening, the lock, saving and closing.

namespace kv {

namespace names = view_names;

namespace {

constexpr size_t kMessageEntries = 20;

// A whole number of milliseconds as the number edits take it.
std::optional<int32_t> Milliseconds(const std::string& text) {
  const std::optional<int32_t> value = ParseInt32(text);
  if (!value || *value < 0) return std::nullopt;
  return value;
}

}  // namespace

SettingsSession::SettingsSession(SettingsParts parts)
    : p_(parts),
      device_({p_.cfg, p_.link, p_.readouts, p_.lang, p_.boxes, p_.view, p_.program_dir}),
      // Shown, the dialog holds the printer; it closes the port itself when a saved setting
      // says so, and leaves it open when it ends.
      exchange_(p_.link, PrinterExchange::PortAfter::LeaveOpen) {}

SettingsSession::~SettingsSession() = default;

void SettingsSession::FormCreate(const std::function<void()>& startup_sequence) {
  p_.view.SetTrayPicture(1);
  startup_sequence();
  ShowPortOnReleaseButton();
}

void SettingsSession::ShowPortOnReleaseButton() {
  const std::vector<std::string>& ports = p_.link.port_names();
  const bool known = p_.cfg.port >= 0 && static_cast<size_t>(p_.cfg.port) < ports.size();
  ShowReleaseButton(35, known ? ports[static_cast<size_t>(p_.cfg.port)] : "");
}

void SettingsSession::ShowTextsAgain() {
  ShowReleaseButton(release_message_, release_port_);
  device_.ShowTextsAgain();
  p_.view.SetText(names::kSettingsLockLabel, p_.lang.Msg(lock_.label_message()));
}

void SettingsSession::ShowReleaseButton(int n, const std::string& port) {
  release_message_ = n;
  release_port_ = port;
  p_.view.SetText(names::kReleasePortButton, p_.lang.Msg(n) + port);
}

bool SettingsSession::Open() {
  if (exchange_) return false;
  save_failed_ = false;
  if (!exchange_.Begin("settings")) {
    p_.boxes.App(p_.lang.Msg(kMsgPrinterBusy), BoxButtons::Ok, BoxIcon::Warning);
    return false;
  }
  FormActivate();
  FormShow();
  return true;
}

void SettingsSession::ShowLock() {
  const bool locked = lock_.locked();
  p_.view.SetVisible(names::kSettingsLockPanel, locked);
  p_.view.SetVisible(names::kSettingsPages, !locked);
  p_.view.SetText(names::kSettingsLockLabel, p_.lang.Msg(lock_.label_message()));
  p_.view.SetText(names::kSettingsPassword, "");
}

void SettingsSession::FormActivate() {
  const Config& cfg = p_.cfg;
  View& view = p_.view;
  lock_.Activate();
  ShowLock();
  p_.timer_prmgr.SetEnabled(false);
  view.SetTrayHint("KV4910");
  // Relative paths chosen in the dialog resolve in the program directory.
  std::error_code ignored;
  if (!p_.program_dir.empty()) std::filesystem::current_path(p_.program_dir, ignored);
  ShowUsers();

  view.SetText(names::kInputPath, cfg.path_in);
  view.SetText(names::kJournalPath, cfg.path_out);
  view.SetText(names::kInfoDir, cfg.path_info);
  view.SetChecked(names::kErrorFileBox, cfg.err_file);
  view.SetChecked(names::kReceiptCopies, cfg.copy_bl == 1);
  view.SetChecked(names::kDebugCopies, cfg.ladenie == 1);
  view.SetChecked(names::kOperatorMessages, cfg.MSG == 1);
  view.SetChecked(names::kCurrencyUsable, cfg.zmena);
  // The manual row of the drawer sequences is the configured command itself (cfg.drawer).
  view.SetItemIndex(names::kDrawerRow, cfg.drawer_idx);

  const TComTimeouts& port = p_.link.ComPort1().Timeouts();
  const int32_t expert[] = {port.WriteTotalConstant,  cfg.handshake_wait, port.ReadTotalConstant,
                            port.ReadTotalMultiplier, port.ReadInterval,  cfg.time_info};
  for (size_t i = 0; i < names::kExpertEdits.size(); ++i)
    view.SetText(names::kExpertEdits[i], std::to_string(expert[i]));
  view.SetText(names::kStartupDelay, std::to_string(cfg.opozdenie));
}

void SettingsSession::FormShow() {
  p_.view.SetEnabled(names::kCurrencyGroup, p_.cfg.zmena);
  device_.ReadCurrencySetup();
}

bool SettingsSession::CheckServicePassword(std::string_view entered) {
  const bool unlocked = lock_.CheckServicePassword(entered);
  ShowLock();
  if (!unlocked) return false;
  p_.view.SetItemIndex(names::kSettingsPages, 0);
  FillUnlocked();
  p_.readouts.ReadRoundingRecord();
  return true;
}

void SettingsSession::FillUnlocked() {
  const Config& cfg = p_.cfg;
  View& view = p_.view;
  view.SetItems(names::kLanguageBox, cfg.language_names);
  view.SetItemIndex(names::kLanguageBox, cfg.language);
  for (size_t i = 0; i < names::kTenderEdits.size(); ++i)
    view.SetText(names::kTenderEdits[i], cfg.plat[i].view());
  view.SetText(names::kPriceListPath, cfg.pokl_path_in);
  view.SetChecked(names::kTillAtStart, cfg.pokl_run);
  view.SetChecked(names::kTendersOffered, cfg.platidla);
  view.SetChecked(names::kDsrGating, cfg.dtr_dsr);
  view.SetChecked(names::kCtsGating, cfg.rts_cts);
  const int32_t speeds[] = {9600, 57600, 115200};
  for (int i = 0; i < 3; ++i)
    if (cfg.baud == speeds[i]) view.SetItemIndex(names::kBaudBox, i);
  view.SetChecked(names::kSetClockAtStart, cfg.synchr_time == 1);
  view.SetChecked(names::kMayQuit, cfg.UKONCI);
  view.SetChecked(names::kReleasePortAfterJobs, cfg.CLOSE_PORT);
  view.SetChecked(names::kDeleteOnFailure, cfg.del_file == 1);
  view.SetChecked(names::kAutoDailyClose, cfg.auto_du == 1);
  view.SetItemIndex(names::kSettingsPorts, cfg.port);

  std::vector<std::string> entries;
  for (size_t i = 0; i < kMessageEntries && i < cfg.notify.size(); ++i) {
    if (cfg.notify[i].path.empty()) break;
    entries.push_back(ShowNotifyEntry(cfg.notify[i]));
  }
  view.SetItems(names::kMessageFiles, entries);
  view.SetChecked(names::kMessagingBox, cfg.spravy);
  view.SetText(names::kMessageName, cfg.id_manager);
  view.SetText(names::kApplicationTitle, cfg.id_aplikacia);
  view.SetText(names::kBackupDir1, cfg.backup1);
  view.SetText(names::kBackupDir2, cfg.backup2);
  view.SetItemIndex(names::kBackupMode, cfg.backup_date ? 1 : 0);
  view.SetText(names::kPollingPeriod, std::to_string(cfg.delay_file));
  view.SetItemIndex(names::kPriorityGroup, PriorityChoice(cfg.apl_priority));
}

bool SettingsSession::OKBtnClick(const SavedControls& c) {
  auto refuse = [this](int message) {
    p_.boxes.App(p_.lang.Msg(message), BoxButtons::Ok, BoxIcon::Warning);
    return false;
  };
  const std::optional<int32_t> delay = Milliseconds(c.startup_delay);
  if (!delay) return refuse(kMsgStartupDelayNotNumber);
  const std::optional<int32_t> period = ParseInt32(c.polling_period);
  if (!period) return refuse(kMsgPollingNotNumber);
  std::array<int32_t, 5> port{};
  for (size_t i = 0; i < port.size(); ++i) {
    const std::optional<int32_t> value = Milliseconds(c.port_timeouts[i]);
    if (!value) return refuse(kMsgPortTimeoutNotNumber);
    port[i] = *value;
  }
  const std::optional<int32_t> info_time = Milliseconds(c.info_time);
  if (!info_time) return refuse(kMsgPortTimeoutNotNumber);

  // The running settings change only once the file holds them.
  Config next = p_.cfg;
  next.path_info = c.info_dir;
  next.zmena = c.currency_usable;
  next.MSG = c.operator_messages ? 1 : 0;
  next.synchr_time = c.set_clock ? 1 : 0;
  ApplyDrawerRow(c.drawer_row, next);
  next.time_info = *info_time;
  next.opozdenie = *delay;
  next.delay_file = ClampDelayFile(*period);
  next.dtr_dsr = c.dtr_dsr;
  next.rts_cts = c.rts_cts;
  next.apl_priority = PriorityFromChoice(c.priority_choice);
  next.spravy = c.messaging;
  next.id_manager = c.message_name;
  next.id_aplikacia = c.application_title;
  next.pokl_path_in = c.price_list;
  next.pokl_run = c.till_at_start;
  next.platidla = c.tenders_offered;
  for (size_t i = 0; i < next.plat.size(); ++i) next.plat[i] = c.tenders[i];
  const ConfigTimeouts timeouts{port[0], port[1], port[2], port[3], port[4]};

  IniFile ini(ConfigFilePath(p_.program_dir));
  if (!WriteConfig(ini, next, timeouts, ParseNotifyEntries(c.message_files))) {
    // The operator must not be kept in a dialog that holds the printer: Esc leaves it.
    save_failed_ = true;
    p_.boxes.App(p_.lang.Msg(kMsgConfigNotWritten) + "\n" + ini.path() + "\n" +
                     p_.lang.Msg(kMsgCloseWithoutSaving),
                 BoxButtons::Ok, BoxIcon::Warning);
    return false;
  }
  // The message endpoint keeps the name it was opened with until the program starts again.
  const bool renamed = next.id_aplikacia != p_.cfg.id_aplikacia;
  Config& cfg = p_.cfg;
  cfg = std::move(next);
  exchange_.ClosePortWhenConfigured();
  p_.link.ApplyPortTimeouts(timeouts);
  p_.timer_prmgr.SetInterval(static_cast<uint32_t>(cfg.delay_file));
  p_.app.SetTitle(cfg.id_aplikacia);

  p_.lang.ShowStateMessage(Localization::StateText::StatePanel,
                           p_.readouts.test_mode() == 1 ? 32 : kMsgNotice);
  if (!cfg.spravy) p_.timer_prmgr.SetEnabled(true);
  lock_.Lock();
  ShowLock();
  if (renamed) p_.boxes.App(p_.lang.Msg(kMsgNewIdAtRestart), BoxButtons::Ok, BoxIcon::Information);
  return true;
}

void SettingsSession::FormClose() {
  if (!exchange_) return;
  p_.host.ReloadConfig();
  p_.users.ConfigLoaded();
  if (!p_.cfg.spravy) p_.timer_prmgr.SetEnabled(true);
  p_.link.SetDeviceReady(false);
  p_.readouts.cfg_to_cis(p_.cfg.port);
  exchange_.End();
}

}  // namespace kv
