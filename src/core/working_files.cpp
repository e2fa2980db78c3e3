#include "core/working_files.h"

#include <cstdio>

#include "core/print_manager.h"

namespace kv {

std::string TSRB4900::InfoFile(const std::string& name) const {
  return cfg.path_info.empty() ? ProgramFile(name) : JoinPath(cfg.path_info, name);
}

void TSRB4900::LogError(std::string_view text) {
  if (!cfg.err_file) return;
  // A loop that keeps failing writes its lines once; the repeats are told as counts.
  std::vector<RepeatFilter::Run> repeated;
  const bool fresh = error_repeats.Take(text, clock.TickCount(), repeated);
  for (const RepeatFilter::Run& run : repeated) AppendErrorLine(RepeatedText(run), true);
  if (fresh) AppendErrorLine(text, true);
}

void TSRB4900::FlushErrorRepeats() {
  const std::vector<RepeatFilter::Run> repeated = error_repeats.Flush();
  if (!cfg.err_file) return;
  for (const RepeatFilter::Run& run : repeated) AppendErrorLine(RepeatedText(run), false);
}

std::string TSRB4900::RepeatedText(const RepeatFilter::Run& run) {
  return run.line + " (opakovane este " + std::to_string(run.repeats) + "-krat)";
}

void TSRB4900::AppendErrorLine(std::string_view text, bool tell_operator) {
  const std::string path = ProgramFile("FM_err.txt");
  ClearAttributes(path);
  const std::tm now = local_time();
  const std::string line = "> (" + DateText(now) + " " + TimeText(now) + " " + ident_text.str() +
                           ") " + std::string(text) + " \r\n";
  if (!AppendBytes(path, line) && tell_operator)
    boxes.Captioned(Msg(21), path, BoxButtons::Ok, BoxIcon::Warning);
}

void TSRB4900::WriteInfoFile() {
  const std::string path = InfoFile("info.txt");
  ClearAttributes(path);
  char content[40];
  std::snprintf(content, sizeof content, "9999\r\n%d\r\n", status_value);
  for (int attempt = 0; attempt < 20; ++attempt) {
    const bool written = WriteBytes(path, content);
    DelayMs(50);
    if (written) return;
  }
  boxes.Captioned(Msg(29), path, BoxButtons::Ok, BoxIcon::Warning);
}

bool TSRB4900::ReadJournal() {
  if (!journal_request) return true;
  journal_request = 0;

  const std::string journal = cfg.path_out;
  if (FileExists(journal)) CopyFileOver(journal, ProgramFile("out_bl.tmp"));
  // The journal is opened for appending before the printer is asked, as a check that the text
  // will have somewhere to go.
  if (!AppendBytes(journal, {})) {
    boxes.Captioned(Msg(2), journal, BoxButtons::Ok, BoxIcon::Warning);
    return false;
  }

  Clear_RX_Que();
  if (!WriteComChar(27, cfg.handshake_wait) || !WriteComChar('Q', cfg.handshake_wait)) return false;
  const size_t n = ReadAnswer(answer.data(), answer.size(), cfg.time_info, 3);
  if (n == 0) return false;
  if (!AppendBytes(journal, {reinterpret_cast<const char*>(answer.data()), n})) {
    boxes.Captioned(Msg(2), journal, BoxButtons::Ok, BoxIcon::Warning);
    return false;
  }
  return true;
}

}  // namespace kv
