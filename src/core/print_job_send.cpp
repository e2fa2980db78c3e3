#include "base/app_shell.h"
#include "base/clock.h"
#include "base/config.h"
#include "base/control_bytes.h"
#include "base/operator_boxes.h"
#include "base/view.h"
#include "base/wait.h"
#include "core/core_messages.h"
#include "core/job_condition.h"
#include "core/job_read_back.h"
#include "core/print_job.h"
#include "core/print_job_loop.h"
#include "core/working_files.h"
#include "lang/localization.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"

// Sending a job and judging it: the document number before a receipt, the bytes one by one
// under handshake, the drain, the answers, the read-back and the verdict, with the operator's
// choice to repeat a failed job.

namespace kv {

JobRoute PrintJobLoop::JobPrint(PrintJob& job) {
  for (bool repeat = false;; repeat = true) {
    if (repeat) {
      // A repeat goes out only into a printer that is again fit for it: the first attempt may
      // have left a document open.
      if (!link_.RetryPause()) return JobRoute::Stop;
      const JobRoute route = JobCheckPrinter(job);
      if (route != JobRoute::Send) return route;
    }
    if (job.receipt && job.scan.read_back) {
      if (!JobReadDocumentNumber()) return JobRoute::Stop;
      job.document_before = readouts_.document_number();
    }
    job.unproven = false;
    const bool sent = JobSend(job) && JobDrainAndAnswer(job);
    if (job.stopped) return JobRoute::Stop;
    const bool confirmed =
        JobConfirmed(sent && !job.unproven, job.receipt, readouts_.test_mode() == 1,
                     job.document_before, readouts_.document_number());
    if (confirmed) {
      job.result = 1;
      return JobRoute::Complete;
    }

    job.result = 0;
    link_.Clear_TX_Que();
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

bool PrintJobLoop::JobReadDocumentNumber() {
  // The operator has only OK here: the receipt must not go out before its number is known.
  while (!readouts_.cfg_to_cis(cfg_.port)) {
    if (app_.Ending()) return false;
    link_.WriteComChar(kCR, static_cast<uint32_t>(cfg_.handshake_wait));
    boxes_.Captioned(lang_.Msg(kMsgDocumentNumberCaption), lang_.Msg(kMsgDocumentNumberUnread),
                     BoxButtons::Ok, BoxIcon::Warning);
    link_.Clear_RX_Que();
    if (!link_.RetryPause()) return false;
  }
  return true;
}

bool PrintJobLoop::JobSend(PrintJob& job) {
  view_.SetTrayHint(lang_.Msg(kMsgPrintingDocument));
  link_.Clear_RX_Que();
  const uint32_t limit = static_cast<uint32_t>(cfg_.handshake_wait);
  const std::string_view command = std::string_view(job.bytes).substr(*job.scan.first_command);
  if (link_.WriteComChars(command, limit) != command.size()) {
    // A port that failed underneath was closed by the link: that is a transmission error.
    if (!link_.ComPort1().Connected()) files_.LogError("Chyba prenosu WriteComChar tlac blocku.");
    return false;
  }
  if (job.scan.trailer) {
    link_.WriteComChar(kESC, limit);
    link_.WriteComChar('F', limit);
    link_.WriteComChar(kETX, limit);
  }
  return true;
}

bool PrintJobLoop::JobDrainAndAnswer(PrintJob& job) {
  if (!link_.WaitTxEmpty(kDrainLimitMs)) return false;

  if (job.copy && !job.receipt) {
    // The printer answers a copy with one byte. The wait is bounded by the information time
    // limit; a missing answer is logged and the job goes on.
    link_.WaitFor(static_cast<uint32_t>(cfg_.time_info),
                  [this] { return link_.Get_RX_Que() >= 1; });
    uint8_t reply = 0;
    bool got = false;
    try {
      got = link_.Get_RX_Que() >= 1 && link_.ComPort1().Read(&reply, 1) == 1;
    } catch (const EComPort&) {
      link_.PortFailed();
    }
    if (!got)
      files_.LogError("Chyba vycitania kopie dokladu.");
    else if (reply == kNAK)
      boxes_.Plain(lang_.Msg(kMsgCopyRequestRefused), BoxButtons::Ok, BoxIcon::Information);
    job.unproven = !got || reply == kNAK;
  }

  if (job.scan.read_back)
    job.stopped = !JobReadBack(job);
  else
    files_.WriteInfoFile();
  return true;
}

bool PrintJobLoop::JobReadBack(PrintJob& job) {
  const size_t sent = job.bytes.size() - job.scan.first_command.value_or(job.bytes.size());
  for (bool asked = false;; asked = true) {
    const bool read = asked ? readouts_.cfg_to_cis(cfg_.port)
                            : ReadBackAfterJob(clock_, link_, readouts_, cfg_, sent);
    if (read) {
      files_.WriteResultFiles(readouts_.document_number(), readouts_.DeviceRecordBytes());
      return true;
    }
    if (cfg_.MSG != 1) {
      job.unproven = true;  // given up: the verdict fails
      return true;
    }
    if (app_.Ending()) return false;
    boxes_.Captioned(lang_.Msg(kMsgStateAfterPrintCaption), lang_.Msg(kMsgStateAfterPrintUnread),
                     BoxButtons::Ok, BoxIcon::Warning);
    link_.Clear_RX_Que();
    if (!link_.RetryPause()) return false;
  }
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
