#include "core/print_manager.h"
#include "core/working_files.h"

namespace kv {

// What the messaging asks of the print manager.
namespace {

class MessagingBridge final : public MessagingHost {
 public:
  explicit MessagingBridge(TSRB4900& pm) : pm_(pm) {}

  bool JobBusy() override { return pm_.busy; }
  void StartPrintJobTimer() override { pm_.Timer_prmgr.SetEnabled(true); }
  int32_t QueryStatus() override {
    const int32_t status = pm_.OpenPort(0);
    if (pm_.cfg.CLOSE_PORT) pm_.ClosePort();
    return status;
  }
  int32_t ReadDeviceInfo() override { return pm_.ReadDeviceInfo() ? 1 : 0; }
  std::string IdentificationText() override { return pm_.ident_text.str(); }
  std::string DateText() override { return kv::DateText(pm_.local_time()); }
  std::string TimeText() override { return kv::TimeText(pm_.local_time()); }
  std::string ProgramDir() override { return pm_.program_dir; }

 private:
  TSRB4900& pm_;
};

}  // namespace

bool TSRB4900::StartupMessaging() {
  endpoint = make_endpoint ? make_endpoint() : CreateMessageEndpoint(clock);
  switch (endpoint->Open(cfg.id_aplikacia)) {
    case OpenResult::AlreadyRunning:
      second_instance = true;
      boxes.Captioned(Msg(115), Msg(114), BoxButtons::Ok, BoxIcon::Warning);
      app.Quit();
      return false;
    case OpenResult::Failed:
      // The program still prints files; only client programs cannot reach it.
      LogError("Nepodarilo sa vytvorit okno pre spravy " + cfg.id_aplikacia + ": " +
               endpoint->Problem());
      if (cfg.spravy)
        boxes.App(Msg(170) + "\n" + endpoint->Problem(), BoxButtons::Ok, BoxIcon::Warning);
      break;
    case OpenResult::Opened:
      break;
  }
  messaging_host = std::make_unique<MessagingBridge>(*this);
  messaging = std::make_unique<Messaging>(*endpoint, cfg, *messaging_host);
  notify_client = [this](int32_t code, int32_t value) { messaging->NotifyClient(code, value); };
  on_job_finished = [this] { messaging->OnJobFinished(); };
  messaging->RegisterAtStartup(boxes, Msg(116));
  Timer_msg.SetInterval(250);
  Timer_msg.SetEnabled(true);
  return true;
}

void TSRB4900::TakeClientMessages() {
  if (messaging) messaging->StartupFinished();
}

void TSRB4900::Timer_msgTimer() {
  if (messaging) messaging->ProcessPending();
}

}  // namespace kv
