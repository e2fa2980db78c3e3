#include <cstdio>

#include "core/print_job.h"
#include "core/print_manager.h"
#include "core/working_files.h"

// Sending a job and judging it: the document number before a receipt, the bytes one by one
// under handshake, the drain, the answers, the read-back and the verdict, with the operator's
// choice to repeat a failed job.

namespace kv {

namespace {

constexpr uint8_t kESC = 27;
constexpr uint8_t kETX = 3;
constexpr uint8_t kCR = 13;
constexpr uint8_t kNAK = 0x15;

}  // namespace

JobRoute TSRB4900::JobPrint(PrintJob& job) {
  for (bool repeat = false;; repeat = true) {
    if (repeat) {
      // A repeat goes out only into a printer that is again fit for it: the first attempt may
      // have left a document open.
      if (!RetryPause()) return JobRoute::Stop;
      const JobRoute route = JobCheckPrinter(job);
      if (route != JobRoute::Send) return route;
    }
    if (job.receipt && read_back) {
      if (!JobReadDocumentNumber()) return JobRoute::Stop;
      job.document_before = document_number;
    }
    const bool sent = JobSend(job) && JobDrainAndAnswer(job);
    if (job.stopped) return JobRoute::Stop;
    const bool confirmed =
        sent && (!job.receipt || test_mode == 1 || document_number == job.document_before + 1);
    if (confirmed) {
      job.result = 1;
      return JobRoute::Complete;
    }

    job.result = 0;
    Clear_TX_Que();
    if (app.Ending()) return JobRoute::Stop;
    if (cfg.MSG == 0) {
      job.set_aside = true;
      return JobRoute::Complete;
    }
    // Printing a receipt cannot be undone: the question defaults to No, which keeps the
    // receipt's bytes in the error file.
    if (boxes.Captioned(Msg(104), Msg(103), BoxButtons::YesNo, BoxIcon::Question, 1) !=
        BoxAnswer::Yes) {
      if (app.Ending()) return JobRoute::Stop;
      JobDeclineRepeat(job);
      return JobRoute::Complete;
    }
  }
}

bool TSRB4900::JobReadDocumentNumber() {
  // The operator has only OK here: the receipt must not go out before its number is known.
  while (!cfg_to_cis(cfg.port)) {
    if (app.Ending()) return false;
    WriteComChar(kCR, static_cast<uint32_t>(cfg.handshake_wait));
    boxes.Captioned(Msg(97), Msg(96), BoxButtons::Ok, BoxIcon::Warning);
    Clear_RX_Que();
    if (!RetryPause()) return false;
  }
  return true;
}

bool TSRB4900::JobSend(PrintJob& job) {
  view.SetTrayHint(Msg(98));
  Clear_RX_Que();
  const uint32_t limit = static_cast<uint32_t>(cfg.handshake_wait);
  for (size_t i = *job.scan.first_command; i < job.bytes.size(); ++i) {
    if (!WriteComChar(static_cast<uint8_t>(job.bytes[i]), limit)) {
      // A port that failed underneath was closed by the link: that is a transmission error.
      if (!ComPort1.Connected()) LogError("Chyba prenosu WriteComChar tlac blocku.");
      return false;
    }
  }
  if (trailer) {
    WriteComChar(kESC, limit);
    WriteComChar('F', limit);
    WriteComChar(kETX, limit);
  }
  return true;
}

bool TSRB4900::JobDrainAndAnswer(PrintJob& job) {
  if (!WaitTxEmpty(kDrainLimitMs)) return false;

  if (job.copy && !job.receipt) {
    // The printer answers a copy with one byte. The wait is bounded by the information time
    // limit; a missing answer is logged and the job goes on.
    const uint32_t start = clock.TickCount();
    while (Get_RX_Que() < 1 && clock.Since(start) < static_cast<uint32_t>(cfg.time_info) &&
           !app.Ending())
      clock.Sleep(1);
    uint8_t reply = 0;
    bool got = false;
    try {
      got = Get_RX_Que() >= 1 && ComPort1.Read(&reply, 1) == 1;
    } catch (const EComPort&) {
      PortFailed();
    }
    if (!got)
      LogError("Chyba vycitania kopie dokladu.");
    else if (reply == kNAK)
      boxes.Plain(Msg(99), BoxButtons::Ok, BoxIcon::Information);
  }

  if (read_back)
    job.stopped = !JobReadBack();
  else
    WriteInfoFile();
  return true;
}

bool TSRB4900::JobReadBack() {
  for (;;) {
    if (cfg_to_cis(cfg.port)) {
      JobWriteResultFiles();
      return true;
    }
    if (cfg.MSG != 1) return true;  // given up: the verdict fails
    if (app.Ending()) return false;
    boxes.Captioned(Msg(102), Msg(101), BoxButtons::Ok, BoxIcon::Warning);
    Clear_RX_Que();
    if (!RetryPause()) return false;
  }
}

void TSRB4900::JobWriteResultFiles() {
  const std::string tmp = ProgramFile("info.tmp");
  // info.txt gets the document number, info.ful the device record as it came (with its ETX).
  char number[24];
  std::snprintf(number, sizeof number, "%d\r\n", document_number);
  size_t record_length = std::min(device_record_length, answer.size());
  if (record_length < answer.size() && answer[record_length] == kETX) ++record_length;
  const std::string_view record(reinterpret_cast<const char*>(answer.data()), record_length);

  auto produce = [&](const std::string& target, std::string_view content) {
    ClearAttributes(tmp);
    ClearAttributes(target);
    bool done;
    if (WriteBytes(tmp, content)) {
      done = CopyFileOver(tmp, target);
    } else {
      // Copying an old scratch file would hand the point-of-sale program a stale result:
      // the target is written directly instead.
      boxes.Captioned(Msg(100), tmp, BoxButtons::Ok, BoxIcon::Warning);
      done = WriteBytes(target, content);
    }
    if (!done) boxes.Captioned(Msg(29), target, BoxButtons::Ok, BoxIcon::Warning);
  };
  produce(InfoFile("info.txt"), number);
  produce(InfoFile("info.ful"), record);
}

void TSRB4900::JobDeclineRepeat(PrintJob& job) {
  view.SetTrayHint(Msg(104));
  if (cfg.err_file) {
    const std::string path = ProgramFile("FM_err.txt");
    ClearAttributes(path);
    const std::tm now = local_time();
    const std::string line = "> (" + DateText(now) + " " + TimeText(now) + " " + ident_text.str() +
                             ") Neopakuj tlac \r\n";
    if (!AppendBytes(path, line + job.bytes)) {
      boxes.Captioned(Msg(100), path, BoxButtons::Ok, BoxIcon::Warning);
      job.set_aside = true;
    }
    journal_request = 0;
  } else {
    job.set_aside = true;  // the bytes are in no error file: the input file keeps them
  }
  WriteInfoFile();
}

}  // namespace kv
