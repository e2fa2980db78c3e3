#include "core/print_job.h"
#include "core/print_manager.h"
#include "core/working_files.h"

// The end of a job: the journal copy and the removal of the input file; and the input file
// that start-up finds left over from an earlier run. Only a file that was processed is deleted;
// one that was never printed is set aside under a dated name, so that nothing is lost.

namespace kv {

bool TSRB4900::DeleteInputFile(const std::string& path, const FileIdentity& identity,
                               int attempts) {
  for (int attempt = 0;; ++attempt) {
    // Only the file the job read goes: another file at the path is the next job.
    if (IdentityOf(path) != identity) return true;
    if (attempt == attempts || (attempt > 0 && app.Ending())) break;
    ClearAttributes(path);
    remove_file(path);
    DelayMs(kDeleteWaitMs);
  }
  // Remembered, so that it is not sent a second time.
  processed_input = identity;
  if (app.Ending()) return false;
  const std::string text = "Nepodarilo sa zmazat subor " + path;
  LogError(text);
  boxes.App(text, BoxButtons::Ok, BoxIcon::Warning);
  return false;
}

bool TSRB4900::SetAsideInput(const std::string& path, const FileIdentity& identity, bool report) {
  if (IdentityOf(path) != identity) return true;  // gone, or the next job's file
  if (const auto target = set_file_aside(path, local_time())) {
    LogError("Odlozeny subor " + path + " ako " + *target);
    return true;
  }
  if (!report) return false;
  processed_input = identity;
  const std::string text = "Nepodarilo sa odlozit subor " + path;
  LogError(text);
  boxes.App(text, BoxButtons::Ok, BoxIcon::Warning);
  return false;
}

void TSRB4900::JobComplete(PrintJob& job) {
  if (cfg.copy_bl == 1 && read_back) ReadJournal();
  job.file.Close();
  DelayMs(50);
  view.SetTrayHint(Msg(105));
  // The file goes whatever del_file says; a failed job whose bytes are nowhere else is set
  // aside instead.
  if (job.set_aside)
    SetAsideInput(job.path, job.identity);
  else
    DeleteInputFile(job.path, job.identity, kDeleteAttempts);
}

void TSRB4900::HandleLeftoverInput() {
  const std::string& path = cfg.path_in;
  auto identity = IdentityOf(path);
  if (!identity) return;
  // Configured to clear a leftover file (or messaging on): one attempt, without a word.
  if (cfg.delete_leftover || cfg.spravy) {
    if (SetAsideInput(path, *identity, false)) return;
  }

  LogError("Najdeny subor pri nabehu");
  Timer_prmgr.SetEnabled(false);
  // Without a screen the answer is No: the file is set aside, so that nothing prints twice and
  // nothing is lost.
  const BoxAnswer answer =
      boxes.Captioned(Msg(122), Msg(121), BoxButtons::YesNo, BoxIcon::Question, 1);
  if (answer != BoxAnswer::Yes && !app.Ending()) SetAsideInput(path, *identity);
  Timer_prmgr.SetEnabled(true);
}

}  // namespace kv
