#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/config.h"
#include "base/operator_boxes.h"
#include "platform/message_endpoint.h"

namespace kv {

// What the messaging needs from the print manager object.
class MessagingHost {
 public:
  virtual ~MessagingHost() = default;
  // A print job is in progress, or another exchange holds the printer.
  virtual bool JobBusy() = 0;
  // Switches the print-job timer on; the job it runs reports (1, result) through NotifyClient.
  virtual void StartPrintJobTimer() = 0;
  // The status query without messages (OpenPort with show-status 0): the status value.
  virtual int32_t QueryStatus() = 0;
  // ReadDeviceInfo: 1 when it succeeded, 0 when not.
  virtual int32_t ReadDeviceInfo() = 0;
  // The printer's identification text.
  virtual std::string IdentificationText() = 0;
  // The current date and time as every log line writes them.
  virtual std::string DateText() = 0;
  virtual std::string TimeText() = 0;
  // Directory of debug_msg.txt.
  virtual std::string ProgramDir() = 0;
};

// Messages with a client (a point-of-sale program): the registered message number, the client
// that registered, the handling of its requests and the debug_msg.txt log. Reads `spravy`,
// `id_manager` and `ladenie` from the configuration record.
//
// Requests that need the printer (information and status) and arrive while a print job is in
// progress are remembered and answered by OnJobFinished, so the handler never talks to the
// printer in the middle of a job and never waits inside itself.
//
// Messages are taken only once start-up has finished (StartupFinished) and never while one is
// being handled; until then they wait in the endpoint. Requests are carried out only when they
// come from the address the client registered from.
class Messaging {
 public:
  Messaging(MessageEndpoint& endpoint, Config& cfg, MessagingHost& host);
  Messaging(const Messaging&) = delete;
  Messaging& operator=(const Messaging&) = delete;

  // Start-up: with messaging on, registers `id_manager`. When that fails the operator is asked
  // (`retry_text`, caption "KV4910", Yes/No): Yes tries again, anything else switches messaging
  // off for this run.
  void RegisterAtStartup(OperatorBoxes& boxes, const std::string& retry_text);
  // Btn_registrujClick: when the messaging check box is ticked, registers the typed name and
  // keeps the number; 0 shows `failure_text` in a plain box.
  void RegisterTypedName(bool spravy_ticked, const std::string& name, OperatorBoxes& boxes,
                         const std::string& failure_text);

  // Handles one queued message. True when it was the registered message (handled), false when
  // it is left alone.
  bool HandleMessage(const ReceivedMessage& m);
  // Takes the pending messages (up to 256 per call) from the endpoint and handles them. The
  // message timer's tick and the endpoint's notifier call it. Does nothing while messages are
  // not taken (TakingMessages): they stay queued in the endpoint for a later call.
  void ProcessPending();

  // Start-up has finished (the leftover input file has been handled): messages are taken from
  // now on, the ones that came during start-up first.
  void StartupFinished();
  // Start-up has finished and no message is being handled.
  bool TakingMessages() const { return started_ && !handling_; }
  // Called with TakingMessages() each time it changes. The application switches its watch on
  // the endpoint with it, so that a message that cannot be taken yet (while a box of a handler
  // is open, say) does not wake it again and again.
  std::function<void(bool)> on_taking_changed;

  // Posts the registered message (code, value) to the client and logs it. No client, or
  // messaging off: nothing.
  void NotifyClient(int32_t code, int32_t value);
  // Called when the printer has become free (a print job has ended): answers the information
  // and status requests that arrived meanwhile.
  void OnJobFinished();

  uint32_t registered_message() const { return registered_; }
  const MessagePeer& client() const { return client_; }
  bool HasClient() const { return client_.handle != 0; }

 private:
  class HandlingScope;
  // Marks a message as being handled (or no longer); tells on_taking_changed.
  void SetHandling(bool handling);
  void AnswerInfo(int count);
  void AnswerStatus(int count);
  // Writes the MSG_RE (received) or MSG_SE (sent) line of debug_msg.txt when ladenie is 1.
  void Log(bool sent, int32_t code, int32_t value);

  MessageEndpoint& endpoint_;
  Config& cfg_;
  MessagingHost& host_;
  uint32_t registered_ = 0;
  MessagePeer client_;
  int deferred_info_ = 0;    // information requests that came during a job
  int deferred_status_ = 0;  // status requests that came during a job
  bool handling_ = false;
  bool started_ = false;
};

}  // namespace kv
