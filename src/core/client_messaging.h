#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "core/messaging.h"
#include "platform/message_endpoint.h"

namespace kv {

class AppShell;
class Clock;
class Localization;
class OperatorBoxes;
class PrintJobLoop;
class PrinterLink;
class PrinterReadouts;
class Timer;
class WorkingFiles;
struct Config;

// This program's window as client programs see it, and the messaging with the client behind
// it. The window exists for the whole run and doubles as the single-instance check. A client's
// status and information requests take the printer's lease; those that find it taken (a print
// job runs) are answered once it is released.
class ClientMessaging {
 public:
  struct Parts {
    Clock& clock;
    AppShell& app;
    OperatorBoxes& boxes;
    Timer& timer_prmgr;
    Timer& timer_msg;
    Config& cfg;
    const Localization& lang;
    PrinterLink& link;
    PrinterReadouts& readouts;
    WorkingFiles& files;
    PrintJobLoop& jobs;
    const std::string& program_dir;
    const std::function<std::tm()>& local_time;
  };
  explicit ClientMessaging(Parts parts);
  ~ClientMessaging();
  ClientMessaging(const ClientMessaging&) = delete;
  ClientMessaging& operator=(const ClientMessaging&) = delete;

  // The window is made by this factory (tests), else by the platform.
  void SetEndpointFactory(std::function<std::unique_ptr<MessageEndpoint>()> make) {
    make_endpoint_ = std::move(make);
  }

  // Start-up steps 7 and 9: opens the window (another instance: message 114, quit, false),
  // then registers the client message when messaging is on.
  bool StartupMessaging();
  // The end of start-up (after the leftover input file): client messages are taken from now
  // on. Those that came earlier waited in the endpoint and are served first.
  void TakeClientMessages();
  // Takes the client messages that are waiting (the message timer and the socket notifier).
  void Timer_msgTimer();

  // Another copy of the program runs: this one quits without doing anything.
  bool second_instance() const { return second_instance_; }
  // Empty until StartupMessaging.
  MessageEndpoint* endpoint() { return endpoint_.get(); }
  Messaging* messaging() { return messaging_.get(); }

 private:
  class Bridge;
  Parts parts_;
  std::function<std::unique_ptr<MessageEndpoint>()> make_endpoint_;
  std::unique_ptr<MessageEndpoint> endpoint_;
  std::unique_ptr<Bridge> bridge_;
  std::unique_ptr<Messaging> messaging_;
  bool second_instance_ = false;
};

}  // namespace kv
