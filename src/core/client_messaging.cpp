#include "core/client_messaging.h"

#include "base/app_shell.h"
#include "base/config.h"
#include "base/operator_boxes.h"
#include "base/timer.h"
#include "core/core_messages.h"
#include "core/file_io.h"
#include "core/print_job_loop.h"
#include "core/working_files.h"
#include "lang/localization.h"
#include "link/printer_exchange.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"

namespace kv {

// What the messaging asks of the print manager.
class ClientMessaging::Bridge final : public MessagingHost {
 public:
  explicit Bridge(const Parts& p) : p_(p) {}

  // A job in progress, or any other exchange holding the printer: requests wait for it.
  bool JobBusy() override { return p_.jobs.busy() || p_.link.Leased(); }
  void StartPrintJobTimer() override { p_.timer_prmgr.SetEnabled(true); }
  int32_t QueryStatus() override {
    PrinterExchange exchange(p_.link, "client status");
    if (!exchange) return 0;
    return p_.link.OpenPort(0);
  }
  int32_t ReadDeviceInfo() override {
    // The readout leaves the port open, as a bring-up does.
    PrinterExchange exchange(p_.link, "client information", PrinterExchange::PortAfter::LeaveOpen);
    if (!exchange) return 0;
    return p_.readouts.ReadDeviceInfo() ? 1 : 0;
  }
  std::string IdentificationText() override { return std::string(p_.link.ident_text()); }
  std::string DateText() override { return kv::DateText(p_.local_time()); }
  std::string TimeText() override { return kv::TimeText(p_.local_time()); }
  std::string ProgramDir() override { return p_.program_dir; }

 private:
  const Parts& p_;
};

ClientMessaging::ClientMessaging(Parts parts) : parts_(parts) {}

ClientMessaging::~ClientMessaging() = default;

bool ClientMessaging::StartupMessaging() {
  const Parts& p = parts_;
  endpoint_ = make_endpoint_ ? make_endpoint_() : CreateMessageEndpoint(p.clock);
  switch (endpoint_->Open(p.cfg.id_aplikacia)) {
    case OpenResult::AlreadyRunning:
      second_instance_ = true;
      p.boxes.Captioned(p.lang.Msg(kMsgPrintManagerCaption), p.lang.Msg(kMsgAlreadyRunning),
                        BoxButtons::Ok, BoxIcon::Warning);
      p.app.Quit();
      return false;
    case OpenResult::Failed:
      // The program still prints files; only client programs cannot reach it.
      p.files.LogError("Nepodarilo sa vytvorit okno pre spravy " + p.cfg.id_aplikacia + ": " +
                       endpoint_->Problem());
      if (p.cfg.spravy)
        p.boxes.App(p.lang.Msg(kMsgMessageWindowFailed) + "\n" + endpoint_->Problem(),
                    BoxButtons::Ok, BoxIcon::Warning);
      break;
    case OpenResult::Opened:
      break;
  }
  bridge_ = std::make_unique<Bridge>(parts_);
  messaging_ = std::make_unique<Messaging>(*endpoint_, p.cfg, *bridge_);
  p.jobs.OnNotifyClient(
      [this](int32_t code, int32_t value) { messaging_->NotifyClient(code, value); });
  // Requests that waited for the printer are answered once it is free again.
  p.link.OnLeaseReleased([this] { messaging_->OnJobFinished(); });
  messaging_->RegisterAtStartup(p.boxes, p.lang.Msg(kMsgRegisterMessageRetry));
  p.timer_msg.SetInterval(250);
  p.timer_msg.SetEnabled(true);
  return true;
}

void ClientMessaging::TakeClientMessages() {
  if (messaging_) messaging_->StartupFinished();
}

void ClientMessaging::Timer_msgTimer() {
  if (messaging_) messaging_->ProcessPending();
}

}  // namespace kv
