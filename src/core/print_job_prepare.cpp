#include "base/app_shell.h"
#include "base/config.h"
#include "base/operator_boxes.h"
#include "base/timer.h"
#include "base/view.h"
#include "core/core_messages.h"
#include "core/file_io.h"
#include "core/print_job.h"
#include "core/print_job_loop.h"
#include "core/working_files.h"
#include "lang/localization.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"

// The steps before sending: the printer must be ready and the file is classified; an
// information job reads the device record instead of sending.

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

JobRoute PrintJobLoop::JobReadInformation(const PrinterExchange& exchange, PrintJob& job) {
  if (auto stop = receipts_.CheckCondition(exchange, job.scan, JobSource()))
    return stop->result == SendResult::Stopped ? JobRoute::Stop : JobRoute::Abandon;
  job.result = readouts_.ReadDeviceInfo() ? 1 : 0;
  readouts_.RequestJournal(false);
  return JobRoute::Complete;
}

}  // namespace kv
