#include "base/app_shell.h"
#include "base/config.h"
#include "base/operator_boxes.h"
#include "base/run_counters.h"
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

// The end of a job: the journal copy and the removal of the input file; and the input file
// that start-up finds left over from an earlier run. Only a file that was processed is deleted;
// one that was never printed is set aside under a dated name, so that nothing is lost.

namespace kv {

bool PrintJobLoop::DeleteInputFile(const std::string& path, const FileIdentity& identity,
                                   int attempts) {
  for (int attempt = 0;; ++attempt) {
    // Only the file the job read goes: another file at the path is the next job.
    if (IdentityOf(path) != identity) return true;
    if (attempt == attempts || (attempt > 0 && app_.Ending())) break;
    // A file that is still there after a delete (held open elsewhere) is tried again a
    // moment later.
    if (attempt > 0) link_.DelayMs(kDeleteWaitMs);
    ClearAttributes(path);
    const RemovalResult removal = remove_input_(path, identity);
    if (removal.outcome == Removal::OtherHeld) {
      // A new file arrived at that very moment and a third one after it: the second is kept.
      files_.LogError("Odlozeny subor " + path + " ako " + removal.held);
      return true;
    }
    if (removal.outcome != Removal::Failed) return true;
  }
  // Remembered, so that it is not sent a second time.
  processed_input_ = identity;
  if (app_.Ending()) return false;
  const std::string text = "Nepodarilo sa zmazat subor " + path;
  files_.LogError(text);
  boxes_.App(text, BoxButtons::Ok, BoxIcon::Warning);
  return false;
}

bool PrintJobLoop::SetAsideInput(const std::string& path, const FileIdentity& identity,
                                 bool report) {
  if (IdentityOf(path) != identity) return true;  // gone, or the next job's file
  if (const auto target = set_file_aside_(path, local_time_())) {
    // A file renamed into place between the look and the move is the next job: it goes back.
    if (IdentityOf(*target) != identity && MoveUnlessTaken(*target, path)) return true;
    files_.LogError("Odlozeny subor " + path + " ako " + *target);
    counters_.CountSetAside();
    return true;
  }
  if (!report) return false;
  processed_input_ = identity;
  const std::string text = "Nepodarilo sa odlozit subor " + path;
  files_.LogError(text);
  boxes_.App(text, BoxButtons::Ok, BoxIcon::Warning);
  return false;
}

void PrintJobLoop::JobComplete(PrintJob& job) {
  if (cfg_.copy_bl == 1 && job.scan.read_back) readouts_.ReadJournal();
  job.file.Close();
  view_.SetTrayHint(lang_.Msg(kMsgDeletingInput));
  // The file goes whatever del_file says; a failed job whose bytes are nowhere else is set
  // aside instead.
  if (job.set_aside)
    SetAsideInput(job.path, job.identity);
  else
    DeleteInputFile(job.path, job.identity, kDeleteAttempts);
}

void PrintJobLoop::HandleLeftoverInput() {
  const std::string& path = cfg_.path_in;
  auto identity = IdentityOf(path);
  if (!identity) return;
  // Configured to clear a leftover file (or messaging on): one attempt, without a word.
  if (cfg_.delete_leftover || cfg_.spravy) {
    if (SetAsideInput(path, *identity, false)) return;
  }

  files_.LogError("Najdeny subor pri nabehu");
  timer_prmgr_.SetEnabled(false);
  // Without a screen the answer is No: the file is set aside, so that nothing prints twice and
  // nothing is lost.
  const BoxAnswer answer =
      boxes_.Captioned(lang_.Msg(kMsgLeftoverCaption), lang_.Msg(kMsgLeftoverInput),
                       BoxButtons::YesNo, BoxIcon::Question, 1);
  if (answer != BoxAnswer::Yes && !app_.Ending()) SetAsideInput(path, *identity);
  timer_prmgr_.SetEnabled(true);
}

}  // namespace kv
