#include "base/app_shell.h"
#include "base/config.h"
#include "base/operator_boxes.h"
#include "base/timer.h"
#include "base/view.h"
#include "core/core_messages.h"
#include "core/file_io.h"
#include "core/job_condition.h"
#include "core/print_job.h"
#include "core/print_job_loop.h"
#include "core/working_files.h"
#include "lang/localization.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"

// The steps before sending: the printer must be ready, the file is classified, and the
// printer's condition must allow the job.

namespace kv {

JobRoute PrintJobLoop::JobWaitForPrinter(PrintJob& job) {
  bool copied = false;
  for (;;) {
    if (link_.InitPort(0) != 0) return JobRoute::Send;
    if (app_.Ending()) return JobRoute::Stop;
    if (cfg_.err_file) {
      // The job's bytes go into the error file once, so that the operator has them even when
      // the job is given up.
      if (!files_.AppendErrorFile(copied ? std::string_view() : std::string_view(job.bytes))) {
        boxes_.Captioned(lang_.Msg(kMsgErrorFileNotOpened), files_.ProgramFile("FM_err.txt"),
                         BoxButtons::Ok, BoxIcon::Warning);
        return JobRoute::Send;  // sent as if the printer were ready
      }
      copied = true;
    }
    if (boxes_.Captioned(lang_.Msg(kMsgNotReadyCaption), lang_.Msg(kMsgPrinterNotReady),
                         BoxButtons::YesNo, BoxIcon::Question) != BoxAnswer::Yes)
      return app_.Ending() ? JobRoute::Stop : JobRoute::Abandon;
    if (!link_.RetryPause()) return JobRoute::Stop;
  }
}

void PrintJobLoop::JobAbandonNotReady(PrintJob& job, bool set_aside) {
  job.file.Close();
  if (set_aside) SetAsideInput(job.path, job.identity);
  // info.txt is written before the client hears of the job, so that it finds the status there.
  files_.WriteInfoFile();
  if (cfg_.spravy)
    NotifyJobClient(1, 0);
  else
    timer_prmgr_.SetEnabled(true);
  busy_ = false;
}

void PrintJobLoop::JobScanFile(PrintJob& job) {
  view_.SetTrayHint(lang_.Msg(kMsgReadingDocument));
  SetTrayState(1);
  job.scan = ScanJob(job.bytes);
  readouts_.RequestJournal(job.scan.journal_request);
  job.receipt = job.scan.receipt;
  job.copy = job.scan.copy;

  for (int n = 0; n < job.scan.status_queries; ++n) files_.WriteInfoFile();
  if (!job.scan.status_record) return;

  // A status record job: the record goes into fm_sts.bin; nothing of the file is sent.
  if (!job.scan.record_letter) return;
  const std::string_view record = readouts_.ReadStatusRecord(*job.scan.record_letter);
  const std::string path = files_.InfoFile("fm_sts.bin");
  ClearAttributes(path);
  if (record.empty()) {
    // No record came: an earlier job's record must not pass for this one's.
    files_.Remove(path);
    files_.LogError("Chyba citania stavoveho zaznamu");
    return;
  }
  if (WriteBytes(path, record))
    job.result = 1;
  else
    boxes_.Captioned(lang_.Msg(kMsgFileNotCreated), path, BoxButtons::Ok, BoxIcon::Warning);
}

JobRoute PrintJobLoop::JobCheckPrinter(PrintJob& job) {
  // Every stop writes info.txt first, so that the point-of-sale program finds the status.
  auto stop = [this](int text, int caption) {
    files_.WriteInfoFile();
    boxes_.Captioned(lang_.Msg(caption), lang_.Msg(text), BoxButtons::Ok, BoxIcon::Warning);
    return app_.Ending() ? JobRoute::Stop : JobRoute::Abandon;
  };
  // Send: query the status again.
  auto ask = [this](int text, int caption) {
    files_.WriteInfoFile();
    if (app_.Ending()) return JobRoute::Stop;
    if (boxes_.Captioned(lang_.Msg(caption), lang_.Msg(text), BoxButtons::YesNo,
                         BoxIcon::Question) != BoxAnswer::Yes)
      return app_.Ending() ? JobRoute::Stop : JobRoute::Abandon;
    return link_.RetryPause() ? JobRoute::Send : JobRoute::Stop;
  };

  for (;;) {
    link_.OpenPort(0);
    const int32_t status = link_.status_value();
    if (status == 0 || status == 1 || !job.scan.state_check) break;
    const JobCondition condition = JobConditionOf(link_.flags(), job.scan.closing_job);
    if (condition.text == 0) break;
    if (condition.log) files_.LogError(condition.log);
    const JobRoute route = condition.ask ? ask(condition.text, condition.caption)
                                         : stop(condition.text, condition.caption);
    if (route != JobRoute::Send) return route;
  }

  const auto letter = FirstCommandLetter(job.bytes, job.scan);
  if (letter == 'I' || letter == 'i') {
    job.result = readouts_.ReadDeviceInfo() ? 1 : 0;
    job.receipt = false;
    readouts_.RequestJournal(false);
    return JobRoute::Complete;
  }
  return JobRoute::Send;
}

}  // namespace kv
