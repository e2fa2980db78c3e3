#include "core/print_job.h"

#include <cstdio>
#include <exception>

#include "base/app_shell.h"
#include "base/clock.h"
#include "base/config.h"
#include "base/operator_boxes.h"
#include "base/run_counters.h"
#include "base/timer.h"
#include "base/view.h"
#include "base/view_names.h"
#include "base/wait.h"
#include "core/core_messages.h"
#include "core/file_io.h"
#include "core/print_job_loop.h"
#include "core/startup_state.h"
#include "core/working_files.h"
#include "lang/localization.h"
#include "link/printer_exchange.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"

// The tick: taking the input file, and the start and end of a job.

namespace kv {

PrintJobLoop::PrintJobLoop(Parts p)
    : clock_(p.clock),
      app_(p.app),
      boxes_(p.boxes),
      view_(p.view),
      timer_prmgr_(p.timer_prmgr),
      cfg_(p.cfg),
      lang_(p.lang),
      link_(p.link),
      readouts_(p.readouts),
      receipts_(p.receipts),
      files_(p.files),
      startup_(p.startup),
      local_time_(p.local_time),
      counters_(p.counters),
      set_file_aside_(SetFileAside),
      remove_input_(RemoveIfSame) {
  // The end of every exchange with the printer, this loop's own jobs included, is a moment a
  // waiting file may be taken.
  link_.OnLeaseReleased([this] { InputMayHaveChanged(); });
}

int PrintJobLoop::WatchInput() {
  input_watch_.Follow(cfg_.path_in);
  return input_watch_.NotifyFd();
}

void PrintJobLoop::InputMayHaveChanged() {
  // The news is read in any case: left unread it would keep waking the application.
  if (input_watch_.Take()) input_news_ = true;
  if (input_news_ && !cfg_.spravy && timer_prmgr_.Enabled() && !busy_ && !link_.Leased())
    timer_prmgr_.TickSoon();
}

uint32_t PrintJobLoop::SettleMs() const {
  switch (input_watch_.arrival()) {
    case InputWatch::Arrival::MovedIn:
      return 0;
    case InputWatch::Arrival::Closed:
      return kClosedSettleMs;
    case InputWatch::Arrival::Unknown:
    case InputWatch::Arrival::Writing:
      break;
  }
  return kSettleMs;
}

void PrintJobLoop::NotifyJobClient(int32_t code, int32_t value) {
  if (notify_client_) notify_client_(code, value);
}

void PrintJobLoop::SetTrayState(int state) {
  view_.SetTrayPicture(state);
}

void PrintJobLoop::Timer_prmgrTimer() {
  timer_prmgr_.SetEnabled(false);
  // Another exchange with the printer is running (a box of it may have let this tick in): the
  // input file waits for the next tick.
  PrinterExchange exchange(link_, "print job");
  if (!exchange) {
    timer_prmgr_.SetEnabled(true);
    return;
  }
  busy_ = true;
  // This tick looks at the input file: what the watch saw until now is taken into account.
  input_watch_.Follow(cfg_.path_in);
  input_watch_.Take();
  input_news_ = false;
  try {
    if (startup_.first_tick) JobFirstTick();
    JobTerminateMarker();
  } catch (const std::exception&) {
    boxes_.App(lang_.Msg(kMsgTimerError), BoxButtons::Ok, BoxIcon::Error);
  }

  PrintJob job;
  if (!JobOpenInput(job)) {
    if (cfg_.spravy)
      NotifyJobClient(1, 0);
    else
      timer_prmgr_.SetEnabled(true);
    busy_ = false;
    // Nothing went over the line: the port stays as it is. The end of the exchange resumes
    // what waited for the job.
    exchange.LeavePortOpen();
    return;
  }

  // A job lasts from taking the settled file to its result files written.
  const uint32_t started = clock_.TickCount();
  auto observe = [&] { counters_.ObserveJob(clock_.Since(started) / 1000.0); };
  JobStart(job);
  const JobRoute ready = JobWaitForPrinter(job);
  if (ready != JobRoute::Send) {
    JobAbandonNotReady(job, ready == JobRoute::Abandon && cfg_.del_file == 1);
    observe();
    return;
  }
  JobScanFile(job);

  if (job.scan.status_record) {
    JobComplete(job);
  } else if (!job.scan.first_command) {
    // Nothing to send. A file whose ESC DC1 wrote info.txt has done its work and goes (one
    // attempt); one without any command is not what the point-of-sale program meant to print,
    // so it is set aside for the operator rather than destroyed.
    job.file.Close();
    if (job.scan.status_queries > 0) {
      DeleteInputFile(job.path, job.identity, 1);
      job.result = 1;
    } else {
      SetAsideInput(job.path, job.identity);
    }
  } else {
    const auto letter = FirstCommandLetter(job.bytes, job.scan);
    const JobRoute route = letter == 'I' || letter == 'i' ? JobReadInformation(exchange, job)
                                                          : JobPrint(exchange, job);
    switch (route) {
      case JobRoute::Abandon:
        job.file.Close();
        if (cfg_.del_file == 1) SetAsideInput(job.path, job.identity);
        break;
      case JobRoute::Complete:
        JobComplete(job);
        break;
      case JobRoute::Send:
      case JobRoute::Stop:
        job.result = 0;
        break;
    }
  }
  JobFinish(job);
  observe();
}

void PrintJobLoop::JobFirstTick() {
  startup_.first_tick = false;
  if (!startup_.no_hide) view_.ShowWindow(view_names::kMainWindow, View::WindowState::Hidden);
  if (cfg_.pokl_run && show_sale_window_) show_sale_window_();
  timer_prmgr_.SetInterval(static_cast<uint32_t>(cfg_.delay_file));
}

void PrintJobLoop::JobTerminateMarker() {
  const std::string marker = files_.ProgramFile("terminate");
  if (!FileExists(marker)) return;
  files_.LogError("Terminate");
  ClearAttributes(marker);
  files_.Remove(marker);
  app_.Quit();  // takes effect when the message loop runs again
}

bool PrintJobLoop::JobOpenInput(PrintJob& job) {
  job.path = cfg_.path_in;
  switch (job.file.Open(job.path)) {
    case InputOpen::Opened:
      break;
    case InputOpen::Unreadable:
      ReportUnreadableInput(job.path);
      return false;
    case InputOpen::Missing:
    case InputOpen::Busy:
      return false;
  }
  const auto identity = job.file.Identity();
  if (!identity || (processed_input_ && identity == processed_input_)) {
    // Already processed and not removable: never again (a receipt would print twice).
    job.file.Close();
    return false;
  }
  // An empty file may be one whose writer has not begun yet: it is left alone.
  if (identity->size == 0 || !JobInputSettled(job)) {
    job.file.Close();
    return false;
  }
  processed_input_.reset();
  if (!job.file.ReadAll(job.bytes)) {
    job.file.Close();
    ReportUnreadableInput(job.path);
    return false;
  }
  // Written to while it was read: the next tick takes it once it has settled.
  if (job.file.Identity() != identity || static_cast<int64_t>(job.bytes.size()) != identity->size) {
    job.file.Close();
    return false;
  }
  job.identity = *identity;
  return true;
}

bool PrintJobLoop::JobInputSettled(PrintJob& job) {
  // Writers that do not lock are not seen by the lock: a file is taken only once it has
  // stopped changing, by its identity and by what the watch saw between the two looks.
  input_watch_.Take();
  const auto first = job.file.Identity();
  const uint64_t changes = input_watch_.changes();
  WaitFor(clock_, app_, SettleMs(), nullptr);
  const bool arrived = input_watch_.Take();
  const bool settled = first && input_watch_.changes() == changes && job.file.Identity() == first &&
                       IdentityOf(job.path) == first;
  // Closed or replaced meanwhile: the next tick comes as soon as this one has ended.
  if (!settled && arrived) input_news_ = true;
  return settled;
}

void PrintJobLoop::ReportUnreadableInput(const std::string& path) {
  const auto identity = IdentityOf(path);
  if (identity && identity == unreadable_input_) return;
  unreadable_input_ = identity;
  files_.LogError("Chyba citania suboru " + path);
  boxes_.Captioned(lang_.Msg(kMsgInputUnreadable), path, BoxButtons::Ok, BoxIcon::Warning);
}

void PrintJobLoop::JobStart(PrintJob& job) {
  view_.SetTrayHint(lang_.Msg(kMsgProcessingDocument));
  SetTrayState(1);
  if (cfg_.ladenie != 1) return;
  const std::string path = files_.ProgramFile("debug.txt");
  const std::tm now = local_time_();
  char header[160];
  std::snprintf(header, sizeof header, "\r\n%s %s Ver:%s %s\r\n", DateText(now).c_str(),
                TimeText(now).c_str(), startup_.version_text.c_str(),
                std::string(link_.ident_text()).c_str());
  ClearAttributes(path);
  if (!AppendBytes(path, std::string(header) + job.bytes))
    boxes_.Captioned(lang_.Msg(kMsgDebugFileNotOpened), path, BoxButtons::Ok, BoxIcon::Warning);
}

void PrintJobLoop::JobFinish(PrintJob& job) {
  job.file.Close();
  if (cfg_.spravy)
    NotifyJobClient(1, job.result);
  else
    timer_prmgr_.SetEnabled(true);
  job.bytes.clear();
  view_.SetTrayHint("KV4910");
  busy_ = false;
  SetTrayState(0);
}

}  // namespace kv
