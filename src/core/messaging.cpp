#include "core/messaging.h"

#include <cstdio>
#include <vector>

namespace kv {

// Marks a message as being handled for the lifetime of a scope (and restores what was before).
class Messaging::HandlingScope {
 public:
  explicit HandlingScope(Messaging& m) : m_(m), before_(m.handling_) { m_.SetHandling(true); }
  ~HandlingScope() { m_.SetHandling(before_); }
  HandlingScope(const HandlingScope&) = delete;
  HandlingScope& operator=(const HandlingScope&) = delete;

 private:
  Messaging& m_;
  bool before_;
};

Messaging::Messaging(MessageEndpoint& endpoint, Config& cfg, MessagingHost& host)
    : endpoint_(endpoint), cfg_(cfg), host_(host) {}

void Messaging::SetHandling(bool handling) {
  const bool taking = TakingMessages();
  handling_ = handling;
  if (taking != TakingMessages() && on_taking_changed) on_taking_changed(TakingMessages());
}

void Messaging::StartupFinished() {
  if (started_) return;
  started_ = true;
  if (TakingMessages() && on_taking_changed) on_taking_changed(true);
}

void Messaging::RegisterAtStartup(OperatorBoxes& boxes, const std::string& retry_text) {
  if (!cfg_.spravy) return;
  for (;;) {
    registered_ = endpoint_.RegisterMessage(cfg_.id_manager);
    if (registered_ != 0) return;
    // A name the system refuses is refused again: without a screen the box must not keep
    // asking, so No (run without messaging) is the default.
    if (boxes.App(retry_text, BoxButtons::YesNo, BoxIcon::Warning, 1) != BoxAnswer::Yes) {
      cfg_.spravy = false;  // off for this run
      return;
    }
  }
}

void Messaging::RegisterTypedName(bool spravy_ticked, const std::string& name, OperatorBoxes& boxes,
                                  const std::string& failure_text) {
  if (!spravy_ticked) return;
  registered_ = endpoint_.RegisterMessage(name);
  if (registered_ == 0) boxes.Plain(failure_text);
}

bool Messaging::HandleMessage(const ReceivedMessage& m) {
  if (!cfg_.spravy || registered_ == 0 || m.msg != registered_) return false;
  HandlingScope scope(*this);
  const int32_t code = static_cast<int32_t>(m.wparam);
  Log(false, code, 0);

  if (code == 0) {
    client_ = m.lparam != 0 ? MessagePeer{m.lparam, m.from} : MessagePeer{};
    // Requests of an earlier client are not answered to a new one.
    deferred_info_ = 0;
    deferred_status_ = 0;
    NotifyClient(0, 0);
    return true;
  }
  // Only the registered client asks: anyone else's request is taken and dropped.
  if (!HasClient() || m.from != client_.address) return true;

  switch (code) {
    case 1:
      if (host_.JobBusy()) {
        NotifyClient(1, 2);
      } else {
        host_.StartPrintJobTimer();
      }
      break;
    case 2:
      if (host_.JobBusy()) {
        ++deferred_info_;
      } else {
        AnswerInfo(1);
      }
      break;
    case 3:
      // The status query would cut into the job's exchange with the printer: answer after it.
      if (host_.JobBusy()) {
        ++deferred_status_;
      } else {
        AnswerStatus(1);
      }
      break;
    default:
      NotifyClient(code, 0);
      break;
  }
  return true;
}

void Messaging::ProcessPending() {
  if (!TakingMessages()) return;
  // A bounded batch, so a flood cannot hold the user interface; the rest waits for the next call.
  for (int i = 0; i < 256; ++i) {
    auto m = endpoint_.Receive();
    if (!m) return;
    HandleMessage(*m);
  }
}

void Messaging::NotifyClient(int32_t code, int32_t value) {
  if (!cfg_.spravy || registered_ == 0 || !HasClient()) return;
  // A client that went away is not an error: it stays registered until it unregisters.
  endpoint_.Post(client_, registered_, static_cast<uint32_t>(code), value);
  Log(true, code, value);
}

void Messaging::OnJobFinished() {
  if (handling_ || host_.JobBusy()) return;
  if (deferred_info_ == 0 && deferred_status_ == 0) return;
  HandlingScope scope(*this);
  int info = deferred_info_;
  int status = deferred_status_;
  deferred_info_ = 0;
  deferred_status_ = 0;
  if (info > 0) AnswerInfo(info);
  if (status > 0) AnswerStatus(status);
}

// Several equal requests during one job share one readout; each gets its answer.
void Messaging::AnswerInfo(int count) {
  int32_t result = host_.ReadDeviceInfo();
  for (int i = 0; i < count; ++i) NotifyClient(2, result);
}

void Messaging::AnswerStatus(int count) {
  int32_t result = host_.QueryStatus();
  for (int i = 0; i < count; ++i) NotifyClient(3, result);
}

void Messaging::Log(bool sent, int32_t code, int32_t value) {
  if (cfg_.ladenie != 1) return;
  const std::string date = host_.DateText();
  const std::string time = host_.TimeText();
  const std::string ident = host_.IdentificationText();
  const int own = endpoint_.OwnHandle();
  const int client = client_.handle;
  const int number = static_cast<int>(registered_);
  // Sent code and value are written as signed bytes.
  const int byte_code = static_cast<int8_t>(code);
  const int byte_value = static_cast<int8_t>(value);

  auto format_into = [&](char* out, size_t size) {
    if (sent) {
      return std::snprintf(out, size, "H:%6d A:%6d R:%6d MSG_SE %d,%d (%s %s %s)\r\n", own, client,
                           number, byte_code, byte_value, date.c_str(), time.c_str(),
                           ident.c_str());
    }
    return std::snprintf(out, size, "H:%6d A:%6d R:%6d MSG_RE %d   (%s %s %s)\r\n", own, client,
                         number, static_cast<int>(code), date.c_str(), time.c_str(), ident.c_str());
  };
  int length = format_into(nullptr, 0);
  if (length <= 0) return;
  std::vector<char> line(static_cast<size_t>(length) + 1);
  format_into(line.data(), line.size());

  const std::string dir = host_.ProgramDir();
  const std::string path = dir.empty() ? "debug_msg.txt" : dir + "/debug_msg.txt";
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) return;  // a log line that cannot be written is skipped
  std::fwrite(line.data(), 1, static_cast<size_t>(length), file);
  std::fclose(file);
}

}  // namespace kv
