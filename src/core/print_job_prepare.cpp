#include "core/print_job.h"
#include "core/print_manager.h"
#include "core/working_files.h"

// The steps before sending: the printer must be ready, the file is classified, and the
// printer's condition must allow the job.

namespace kv {

JobRoute TSRB4900::JobWaitForPrinter(PrintJob& job) {
  bool copied = false;
  for (;;) {
    if (InitPort(0) != 0) return JobRoute::Send;
    if (app.Ending()) return JobRoute::Stop;
    if (cfg.err_file) {
      // The job's bytes go into the error file once, so that the operator has them even when
      // the job is given up.
      const std::string path = ProgramFile("FM_err.txt");
      ClearAttributes(path);
      if (!AppendBytes(path, copied ? std::string_view() : std::string_view(job.bytes))) {
        boxes.Captioned(Msg(8), path, BoxButtons::Ok, BoxIcon::Warning);
        return JobRoute::Send;  // sent as if the printer were ready
      }
      copied = true;
    }
    if (boxes.Captioned(Msg(10), Msg(9), BoxButtons::YesNo, BoxIcon::Question) != BoxAnswer::Yes)
      return app.Ending() ? JobRoute::Stop : JobRoute::Abandon;
    if (!RetryPause()) return JobRoute::Stop;
  }
}

void TSRB4900::JobAbandonNotReady(PrintJob& job, bool set_aside) {
  job.file.Close();
  if (set_aside) SetAsideInput(job.path, job.identity);
  // info.txt is written before the client hears of the job, so that it finds the status there.
  WriteInfoFile();
  if (cfg.spravy)
    NotifyJobClient(1, 0);
  else
    Timer_prmgr.SetEnabled(true);
  busy = false;
  if (cfg.CLOSE_PORT) ClosePort();
  if (on_job_finished) on_job_finished();
}

void TSRB4900::JobScanFile(PrintJob& job) {
  view.SetTrayHint(Msg(11));
  SetTrayState(1);
  job.scan = ScanJob(job.bytes);
  journal_request = job.scan.journal_request ? 1 : 0;
  state_check = job.scan.state_check;
  closing_job = job.scan.closing_job;
  read_back = job.scan.read_back;
  trailer = job.scan.trailer;
  job.receipt = job.scan.receipt;
  job.copy = job.scan.copy;

  for (int n = 0; n < job.scan.status_queries; ++n) WriteInfoFile();
  if (!job.scan.status_record) return;

  // A status record job: the record goes into fm_sts.bin; nothing of the file is sent.
  if (!job.scan.record_letter) return;
  const int length = ReadStatusRecord(*job.scan.record_letter);
  if (length <= 0) return;
  const std::string path = InfoFile("fm_sts.bin");
  ClearAttributes(path);
  const std::string_view record(reinterpret_cast<const char*>(status_buffer.data()),
                                static_cast<size_t>(length));
  if (WriteBytes(path, record))
    job.result = 1;
  else
    boxes.Captioned(Msg(100), path, BoxButtons::Ok, BoxIcon::Warning);
}

JobRoute TSRB4900::JobCheckPrinter(PrintJob& job) {
  // Every stop writes info.txt first, so that the point-of-sale program finds the status.
  auto stop = [this](int text, int caption) {
    WriteInfoFile();
    boxes.Captioned(Msg(caption), Msg(text), BoxButtons::Ok, BoxIcon::Warning);
    return app.Ending() ? JobRoute::Stop : JobRoute::Abandon;
  };
  // Send: query the status again.
  auto ask = [this](int text, int caption) {
    WriteInfoFile();
    if (app.Ending()) return JobRoute::Stop;
    if (boxes.Captioned(Msg(caption), Msg(text), BoxButtons::YesNo, BoxIcon::Question) !=
        BoxAnswer::Yes)
      return app.Ending() ? JobRoute::Stop : JobRoute::Abandon;
    return RetryPause() ? JobRoute::Send : JobRoute::Stop;
  };

  for (;;) {
    OpenPort(0);
    if (status_value == 0 || status_value == 1 || !state_check) break;
    JobRoute route = JobRoute::Complete;  // none of the conditions applies
    if (flags.S1_7) {
      // A document is open on the printer: anything sent now would land inside it.
      LogError("Otvoreny doklad v tlaciarni");
      route = stop(151, 17);
    } else if (flags.S1_2) {
      route = ask(20, 17);
    } else if (flags.S2_7) {
      route = stop(12, 13);
    } else if (flags.S2_6) {
      route = stop(14, 13);
    } else if (flags.S2_5) {
      route = stop(15, 13);
    } else if (flags.S1_6 && !closing_job) {
      route = stop(16, 17);
    } else if (flags.S1_5 && closing_job) {
      route = stop(18, 17);
    } else if (flags.S1_4) {
      route = ask(19, 17);
    }
    if (route == JobRoute::Send) continue;
    if (route != JobRoute::Complete) return route;
    break;
  }

  const auto letter = FirstCommandLetter(job.bytes, job.scan);
  if (letter == 'I' || letter == 'i') {
    job.result = ReadDeviceInfo() ? 1 : 0;
    job.receipt = false;
    journal_request = 0;
    return JobRoute::Complete;
  }
  return JobRoute::Send;
}

}  // namespace kv
