#include "core/print_job.h"

#include <cstdio>
#include <exception>

#include "core/print_manager.h"
#include "core/working_files.h"

// The print-job loop: one tick of Timer_prmgr runs one job from the input file to the result
// files. The timer is off for the whole tick, so ticks never overlap; at its end the timer is
// switched on again (messaging off) or the client is told the result and starts the next job
// with its own request (messaging on).

namespace kv {

void TSRB4900::NotifyJobClient(int32_t code, int32_t value) {
  if (notify_client) notify_client(code, value);
}

void TSRB4900::Timer_prmgrTimer() {
  Timer_prmgr.SetEnabled(false);
  busy = true;
  try {
    if (first_tick) JobFirstTick();
    JobTerminateMarker();
  } catch (const std::exception&) {
    boxes.App(Msg(5), BoxButtons::Ok, BoxIcon::Error);
  }

  PrintJob job;
  if (!JobOpenInput(job)) {
    if (cfg.spravy)
      NotifyJobClient(1, 0);
    else
      Timer_prmgr.SetEnabled(true);
    busy = false;
    if (on_job_finished) on_job_finished();
    return;
  }

  JobStart(job);
  const JobRoute ready = JobWaitForPrinter(job);
  if (ready != JobRoute::Send) {
    JobAbandonNotReady(job, ready == JobRoute::Abandon && cfg.del_file == 1);
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
    JobRoute route = JobCheckPrinter(job);
    if (route == JobRoute::Send) route = JobPrint(job);
    switch (route) {
      case JobRoute::Abandon:
        job.file.Close();
        if (cfg.del_file == 1) SetAsideInput(job.path, job.identity);
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
}

void TSRB4900::JobFirstTick() {
  first_tick = false;
  if (!no_hide) view.ShowWindow("SRB4900", View::WindowState::Hidden);
  if (cfg.pokl_run && show_sale_window) show_sale_window();
  Timer_prmgr.SetInterval(static_cast<uint32_t>(cfg.delay_file));
}

void TSRB4900::JobTerminateMarker() {
  const std::string marker = ProgramFile("terminate");
  if (!FileExists(marker)) return;
  LogError("Terminate");
  ClearAttributes(marker);
  remove_file(marker);
  app.Quit();  // takes effect when the message loop runs again
}

bool TSRB4900::JobOpenInput(PrintJob& job) {
  job.path = cfg.path_in;
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
  if (!identity || (processed_input && identity == processed_input)) {
    // Already processed and not removable: never again (a receipt would print twice).
    job.file.Close();
    return false;
  }
  // An empty file may be one whose writer has not begun yet: it is left alone.
  if (identity->size == 0 || !JobInputSettled(job)) {
    job.file.Close();
    return false;
  }
  processed_input.reset();
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

bool TSRB4900::JobInputSettled(PrintJob& job) {
  // Writers that do not lock are not seen by the lock: a file is taken only once it has
  // stopped changing. A file written elsewhere and renamed into place settles at once.
  const auto first = job.file.Identity();
  const uint32_t start = clock.TickCount();
  while (clock.Since(start) < kSettleMs) clock.Sleep(10);
  return first && job.file.Identity() == first && IdentityOf(job.path) == first;
}

void TSRB4900::ReportUnreadableInput(const std::string& path) {
  const auto identity = IdentityOf(path);
  if (identity && identity == unreadable_input) return;
  unreadable_input = identity;
  LogError("Chyba citania suboru " + path);
  boxes.Captioned(Msg(152), path, BoxButtons::Ok, BoxIcon::Warning);
}

void TSRB4900::JobStart(PrintJob& job) {
  view.SetTrayHint(Msg(6));
  SetTrayState(1);
  if (cfg.ladenie != 1) return;
  const std::string path = ProgramFile("debug.txt");
  const std::tm now = local_time();
  char header[160];
  std::snprintf(header, sizeof header, "\r\n%s %s Ver:%s %s\r\n", DateText(now).c_str(),
                TimeText(now).c_str(), version_text.c_str(), ident_text.c_str());
  ClearAttributes(path);
  if (!AppendBytes(path, std::string(header) + job.bytes))
    boxes.Captioned(Msg(7), path, BoxButtons::Ok, BoxIcon::Warning);
}

void TSRB4900::JobFinish(PrintJob& job) {
  job.file.Close();
  if (cfg.spravy)
    NotifyJobClient(1, job.result);
  else
    Timer_prmgr.SetEnabled(true);
  job.bytes.clear();
  view.SetTrayHint("KV4910");
  if (cfg.CLOSE_PORT) ClosePort();
  busy = false;
  SetTrayState(0);
  if (on_job_finished) on_job_finished();
}

}  // namespace kv
