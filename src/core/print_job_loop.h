#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "core/input_watch.h"
#include "core/job_input_file.h"
#include "core/receipt_send.h"

namespace kv {

class AppShell;
class Clock;
class Localization;
class OperatorBoxes;
class PrinterExchange;
class PrinterLink;
class PrinterReadouts;
class RunCounters;
class Timer;
class View;
class WorkingFiles;
struct Config;
struct PrintJob;
struct StartupState;
enum class JobRoute;

// The print-job loop: one tick of Timer_prmgr runs one job from the input file to the result
// files. The timer is off for the whole tick and the tick holds the printer's lease, so ticks
// never overlap and nothing else talks to the printer meanwhile; a tick that finds the lease
// taken leaves the input file alone and switches the timer on again. At the end of a job the
// timer is switched on again (messaging off) or the client is told the result and starts the
// next job with its own request (messaging on).
//
// A watch on the input file's directory brings the next tick forward when a file arrives
// whole there, and right after a job when the next file is already waiting; the timer's tick
// stays as the fallback where the watch sees nothing.
class PrintJobLoop {
 public:
  struct Parts {
    Clock& clock;
    AppShell& app;
    OperatorBoxes& boxes;
    View& view;
    Timer& timer_prmgr;
    Config& cfg;
    const Localization& lang;
    PrinterLink& link;
    PrinterReadouts& readouts;
    ReceiptSend& receipts;
    WorkingFiles& files;
    StartupState& startup;
    const std::function<std::tm()>& local_time;
    RunCounters& counters;  // the jobs' durations
  };
  explicit PrintJobLoop(Parts parts);
  PrintJobLoop(const PrintJobLoop&) = delete;
  PrintJobLoop& operator=(const PrintJobLoop&) = delete;

  static constexpr uint32_t kDrainLimitMs = ReceiptSend::kDrainLimitMs;
  static constexpr int kDeleteAttempts = 100;  // 50 ms apart: about five seconds
  static constexpr uint32_t kDeleteWaitMs = 50;
  // A file is taken once two looks this far apart find it unchanged (a writer that writes in
  // place has finished).
  static constexpr uint32_t kSettleMs = 100;
  // The looks are closer for a file the watch saw its writer close (one that opens it again
  // to write more is seen), and at once for a file renamed into place (written elsewhere).
  static constexpr uint32_t kClosedSettleMs = 20;

  // The tick handler of Timer_prmgr: runs one job or finds nothing to do.
  void Timer_prmgrTimer();
  // Start-up: an input file left over from an earlier run.
  void HandleLeftoverInput();
  // Starts watching the input file's directory. Returns the descriptor that is readable while
  // the watch has news (the application then calls InputMayHaveChanged), or -1 where there is
  // no watch and the timer alone looks for the file.
  int WatchInput();
  // The watch has news: the next tick comes at once when a file has arrived whole and a tick
  // could run now (messaging off, the timer on, no job running and the printer's lease free).
  void InputMayHaveChanged();

  // A job is in progress (the readouts then show nothing of their own).
  bool busy() const { return busy_; }
  // The connect command clears it.
  void SetBusy(bool busy) { busy_ = busy; }

  // Hooks the application connects; each may be left empty.
  void OnShowSaleWindow(std::function<void()> show) { show_sale_window_ = std::move(show); }
  // Posts (code, value) to the client.
  void OnNotifyClient(std::function<void(int32_t, int32_t)> notify) {
    notify_client_ = std::move(notify);
  }
  // Moves a file aside under a dated name (tests replace it to model a file that cannot move).
  void SetFileAsideHook(
      std::function<std::optional<std::string>(const std::string&, const std::tm&)> set_aside) {
    set_file_aside_ = std::move(set_aside);
  }
  // Deletes the input file after a job (tests replace it to model a file that stays).
  void SetInputRemoverHook(
      std::function<RemovalResult(const std::string&, const FileIdentity&)> remove) {
    remove_input_ = std::move(remove);
  }

 private:
  void NotifyJobClient(int32_t code, int32_t value);
  uint32_t SettleMs() const;
  // Tray icon picture: 1 while working or on trouble, 0 when idle.
  void SetTrayState(int state);

  // The tick's steps, in order (print_job.cpp, print_job_prepare.cpp, print_job_send.cpp,
  // print_job_complete.cpp).
  void JobFirstTick();
  void JobTerminateMarker();
  bool JobOpenInput(PrintJob& job);
  bool JobInputSettled(PrintJob& job);
  void ReportUnreadableInput(const std::string& path);
  void JobStart(PrintJob& job);
  JobRoute JobWaitForPrinter(PrintJob& job);
  void JobAbandonNotReady(PrintJob& job, bool set_aside);
  void JobScanFile(PrintJob& job);
  // An information job (ESC I): the condition check, then the device record.
  JobRoute JobReadInformation(const PrinterExchange& exchange, PrintJob& job);
  // Sends the job through the one send path, with the operator's choice to repeat a failure.
  JobRoute JobPrint(const PrinterExchange& exchange, PrintJob& job);
  // The client waits for the job's answer (messaging on), or nobody does.
  SendSource JobSource() const;
  // Turns a send's outcome into the result files.
  void JobWriteResults(const PrintJob& job, const SendOutcome& outcome);
  void JobDeclineRepeat(PrintJob& job);
  void JobComplete(PrintJob& job);
  void JobFinish(PrintJob& job);
  // Deletes the file the job read (never another file that has just taken its place: that is
  // the next job), attempts 50 ms apart, until it is gone or `attempts` have failed. False when
  // the limit was reached (the error file and the operator are told) or the program is ending;
  // the file is then remembered and never sent again.
  bool DeleteInputFile(const std::string& path, const FileIdentity& identity, int attempts);
  // Moves an input file that was never printed aside under a dated name and notes it in the
  // error file, as long as the path still names the file `identity` describes; true when it is
  // no longer there. With `report`, a file that cannot be moved is remembered (never sent) and
  // the error file and the operator are told.
  bool SetAsideInput(const std::string& path, const FileIdentity& identity, bool report = true);

  Clock& clock_;
  AppShell& app_;
  OperatorBoxes& boxes_;
  View& view_;
  Timer& timer_prmgr_;
  Config& cfg_;
  const Localization& lang_;
  PrinterLink& link_;
  PrinterReadouts& readouts_;
  ReceiptSend& receipts_;
  WorkingFiles& files_;
  StartupState& startup_;
  const std::function<std::tm()>& local_time_;
  RunCounters& counters_;

  bool busy_ = false;
  InputWatch input_watch_;
  // A file has arrived since the last tick looked: a tick is due as soon as one may run.
  bool input_news_ = false;
  // An input file that was processed (or was to be set aside) but could not be removed: it is
  // not processed again until another file takes its place.
  std::optional<FileIdentity> processed_input_;
  // The last input file reported as unreadable: reported once, not on every tick.
  std::optional<FileIdentity> unreadable_input_;
  std::function<void()> show_sale_window_;
  std::function<void(int32_t, int32_t)> notify_client_;
  std::function<std::optional<std::string>(const std::string&, const std::tm&)> set_file_aside_;
  std::function<RemovalResult(const std::string&, const FileIdentity&)> remove_input_;
};

}  // namespace kv
