#include "base/app_shell.h"
#include "base/config.h"
#include "base/operator_boxes.h"
#include "base/view.h"
#include "core/core_messages.h"
#include "core/print_job.h"
#include "core/print_job_loop.h"
#include "core/receipt_send.h"
#include "core/working_files.h"
#include "lang/localization.h"
#include "link/printer_readouts.h"

// Sending a job through the one send path, the result files of its outcome, and the operator's
// choice to repeat a failed job.

namespace kv {

SendSource PrintJobLoop::JobSource() const {
  return cfg_.spravy ? SendSource::Client : SendSource::File;
}

JobRoute PrintJobLoop::JobPrint(const PrinterExchange& exchange, PrintJob& job) {
  for (bool repeat = false;; repeat = true) {
    // A repeat goes out only into a printer that is again fit for it (the send checks the
    // condition first): the first attempt may have left a document open.
    if (repeat && !link_.RetryPause()) return JobRoute::Stop;
    const SendOutcome outcome = receipts_.Send(exchange, {job.bytes, job.scan, JobSource()});
    switch (outcome.result) {
      case SendResult::Stopped:
        return JobRoute::Stop;
      case SendResult::NotReady:
        return JobRoute::Abandon;
      case SendResult::Confirmed:
        JobWriteResults(job, outcome);
        job.result = 1;
        return JobRoute::Complete;
      case SendResult::Unproven:
      case SendResult::NotSent:
      case SendResult::NoNumber:
        JobWriteResults(job, outcome);
        break;
    }

    job.result = 0;
    if (app_.Ending()) return JobRoute::Stop;
    if (cfg_.MSG == 0) {
      job.set_aside = true;
      return JobRoute::Complete;
    }
    // Printing a receipt cannot be undone: the question defaults to No, which keeps the
    // receipt's bytes in the error file.
    if (boxes_.Captioned(lang_.Msg(kMsgPrintErrorCaption), lang_.Msg(kMsgRetryPrint),
                         BoxButtons::YesNo, BoxIcon::Question, 1) != BoxAnswer::Yes) {
      if (app_.Ending()) return JobRoute::Stop;
      JobDeclineRepeat(job);
      return JobRoute::Complete;
    }
  }
}

void PrintJobLoop::JobWriteResults(const PrintJob& job, const SendOutcome& outcome) {
  if (outcome.document_number)
    files_.WriteResultFiles(*outcome.document_number, readouts_.DeviceRecordBytes());
  else if (outcome.sent && !job.scan.read_back)
    files_.WriteInfoFile();
}

void PrintJobLoop::JobDeclineRepeat(PrintJob& job) {
  view_.SetTrayHint(lang_.Msg(kMsgPrintErrorCaption));
  if (cfg_.err_file) {
    if (!files_.AppendErrorFile(files_.ErrorLine("Neopakuj tlac") + job.bytes)) {
      boxes_.Captioned(lang_.Msg(kMsgFileNotCreated), files_.ProgramFile("FM_err.txt"),
                       BoxButtons::Ok, BoxIcon::Warning);
      job.set_aside = true;
    }
    readouts_.RequestJournal(false);
  } else {
    job.set_aside = true;  // the bytes are in no error file: the input file keeps them
  }
  files_.WriteInfoFile();
}

}  // namespace kv
