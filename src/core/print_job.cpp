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
  if (!JobWaitForPrinter(job)) {
    JobAbandonNotReady(job);
    return;
  }
  JobScanFile(job);

  if (job.scan.status_record) {
    JobComplete(job);
  } else if (!job.scan.first_command) {
    // Nothing to send: the file goes (one attempt) and the result files stay as they are,
    // unless an ESC DC1 in it has just written info.txt.
    job.file.Close();
    remove_file(job.path);
    job.result = job.scan.status_queries > 0 ? 1 : 0;
  } else {
    switch (JobCheckPrinter(job)) {
      case JobRoute::Abandon:
        job.file.Close();
        if (cfg.del_file == 1) remove_file(job.path);
        break;
      case JobRoute::Complete:
        JobComplete(job);
        break;
      case JobRoute::Send:
        JobPrint(job);
        JobComplete(job);
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
  if (!job.file.Open(job.path)) return false;
  const auto identity = job.file.Identity();
  if (processed_input && identity == processed_input) {
    // Already processed and not deletable: never again (a receipt would print twice).
    job.file.Close();
    return false;
  }
  processed_input.reset();
  if (!job.file.ReadAll(job.bytes)) {
    LogError("Chyba citania suboru " + job.path);
    job.file.Close();
    return false;
  }
  return true;
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
