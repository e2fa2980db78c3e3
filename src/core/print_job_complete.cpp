#include "core/print_job.h"
#include "core/print_manager.h"
#include "core/working_files.h"

// The end of a job: the journal copy and the deletion of the input file; and the input file
// that start-up finds left over from an earlier run.

namespace kv {

bool TSRB4900::DeleteInputFile(const std::string& path, bool until_replaced, int attempts) {
  ClearAttributes(path);
  const auto original = IdentityOf(path);
  if (!original) return true;
  for (int attempt = 0; attempt < attempts; ++attempt) {
    remove_file(path);
    DelayMs(kDeleteWaitMs);
    const auto now = IdentityOf(path);
    if (!now) return true;
    // Another file written in its place is the next job: it stays.
    if (until_replaced && now != original) return true;
  }
  const std::string text = "Nepodarilo sa zmazat subor " + path;
  LogError(text);
  boxes.App(text, BoxButtons::Ok, BoxIcon::Warning);
  return false;
}

void TSRB4900::JobComplete(PrintJob& job) {
  if (cfg.copy_bl == 1 && read_back) ReadJournal();
  const auto identity = job.file.Identity();
  job.file.Close();
  DelayMs(50);
  view.SetTrayHint(Msg(105));
  // The file goes whatever del_file says. One that stays is remembered, so that it is not
  // sent a second time.
  if (!DeleteInputFile(job.path, true, kDeleteAttempts) && identity &&
      IdentityOf(job.path) == identity)
    processed_input = identity;
}

void TSRB4900::HandleLeftoverInput() {
  const std::string& path = cfg.path_in;
  if (cfg.delete_leftover) remove_file(path);
  if (cfg.spravy) remove_file(path);
  if (!FileExists(path)) return;

  LogError("Najdeny subor pri nabehu");
  Timer_prmgr.SetEnabled(false);
  if (boxes.Captioned(Msg(122), Msg(121), BoxButtons::YesNo, BoxIcon::Question) == BoxAnswer::No) {
    if (DeleteInputFile(path, false, kDeleteAttempts)) LogError("Zmazany subor pri nabehu");
  }
  Timer_prmgr.SetEnabled(true);
}

}  // namespace kv
