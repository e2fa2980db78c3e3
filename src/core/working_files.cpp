#include "core/working_files.h"

#include <cstdio>
#include <vector>

#include "base/app_shell.h"
#include "base/clock.h"
#include "base/config.h"
#include "base/operator_boxes.h"
#include "base/view.h"
#include "base/wait.h"
#include "core/core_messages.h"
#include "core/file_io.h"
#include "core/job_input_file.h"
#include "lang/localization.h"
#include "link/printer_link.h"

namespace kv {

WorkingFiles::WorkingFiles(Clock& clock, const AppShell& app, OperatorBoxes& boxes, View& view,
                           const Config& cfg, const Localization& lang, const PrinterLink& link,
                           const std::string& program_dir,
                           const std::function<std::tm()>& local_time)
    : clock_(clock),
      app_(app),
      boxes_(boxes),
      view_(view),
      cfg_(cfg),
      lang_(lang),
      link_(link),
      program_dir_(program_dir),
      local_time_(local_time),
      remove_file_(RemoveFile) {}

WorkingFiles::~WorkingFiles() {
  FlushErrorRepeats();
}

std::string WorkingFiles::ProgramFile(const std::string& name) const {
  return program_dir_.empty() ? name : program_dir_ + "/" + name;
}

std::string WorkingFiles::InfoFile(const std::string& name) const {
  return cfg_.path_info.empty() ? ProgramFile(name) : JoinPath(cfg_.path_info, name);
}

void WorkingFiles::DelayMs(uint32_t ms) {
  WaitFor(clock_, app_, ms, nullptr);
}

void WorkingFiles::LogError(std::string_view text) {
  if (!cfg_.err_file) return;
  // A loop that keeps failing writes its lines once; the repeats are told as counts.
  std::vector<RepeatFilter::Run> repeated;
  const bool fresh = error_repeats_.Take(text, clock_.TickCount(), repeated);
  for (const RepeatFilter::Run& run : repeated) AppendErrorLine(RepeatedText(run), true);
  if (fresh) AppendErrorLine(text, true);
}

void WorkingFiles::FlushErrorRepeats() {
  const std::vector<RepeatFilter::Run> repeated = error_repeats_.Flush();
  if (!cfg_.err_file) return;
  for (const RepeatFilter::Run& run : repeated) AppendErrorLine(RepeatedText(run), false);
}

std::string WorkingFiles::RepeatedText(const RepeatFilter::Run& run) {
  return run.line + " (opakovane este " + std::to_string(run.repeats) + "-krat)";
}

std::string WorkingFiles::ErrorLine(std::string_view text) const {
  const std::tm now = local_time_();
  return "> (" + DateText(now) + " " + TimeText(now) + " " + std::string(link_.ident_text()) +
         ") " + std::string(text) + " \r\n";
}

bool WorkingFiles::AppendErrorFile(std::string_view bytes) {
  const std::string path = ProgramFile("FM_err.txt");
  ClearAttributes(path);
  return AppendBytes(path, bytes);
}

void WorkingFiles::AppendErrorLine(std::string_view text, bool tell_operator) {
  if (!AppendErrorFile(ErrorLine(text)) && tell_operator)
    boxes_.Captioned(lang_.Msg(kMsgErrorCaption), ProgramFile("FM_err.txt"), BoxButtons::Ok,
                     BoxIcon::Warning);
}

void WorkingFiles::WriteInfoFile() {
  const std::string path = InfoFile("info.txt");
  ClearAttributes(path);
  char content[40];
  std::snprintf(content, sizeof content, "9999\r\n%d\r\n", link_.status_value());
  if (!WriteWithAttempts(path, content, 20))
    boxes_.Captioned(lang_.Msg(kMsgInfoFileNotCreated), path, BoxButtons::Ok, BoxIcon::Warning);
}

bool WorkingFiles::WriteWithAttempts(const std::string& path, std::string_view bytes,
                                     int attempts) {
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (WriteBytes(path, bytes)) return true;
    DelayMs(50);
  }
  return false;
}

bool WorkingFiles::CopyWithAttempts(const std::string& from, const std::string& to, int attempts) {
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (CopyFileOver(from, to)) return true;
    DelayMs(50);
  }
  return false;
}

void WorkingFiles::WriteResultFiles(int32_t document_number, std::string_view record) {
  const std::string tmp = ProgramFile("info.tmp");
  char number[24];
  std::snprintf(number, sizeof number, "%d\r\n", document_number);
  auto produce = [&](const std::string& target, std::string_view content) {
    ClearAttributes(tmp);
    ClearAttributes(target);
    bool done;
    if (WriteBytes(tmp, content)) {
      done = CopyFileOver(tmp, target);
    } else {
      // Copying an old scratch file would hand the point-of-sale program a stale result:
      // the target is written directly instead.
      boxes_.Captioned(lang_.Msg(kMsgFileNotCreated), tmp, BoxButtons::Ok, BoxIcon::Warning);
      done = WriteBytes(target, content);
    }
    if (!done)
      boxes_.Captioned(lang_.Msg(kMsgInfoFileNotCreated), target, BoxButtons::Ok, BoxIcon::Warning);
  };
  produce(InfoFile("info.txt"), number);
  produce(InfoFile("info.ful"), record);
}

void WorkingFiles::WriteDeviceInfoFiles(int32_t document_number, std::string_view record) {
  const std::string tmp = ProgramFile("info.tmp");
  const std::string txt = InfoFile("info.txt");
  auto warn = [this](const std::string& text) {
    boxes_.Captioned(lang_.Msg(kMsgDebugFileCaption), text, BoxButtons::Ok, BoxIcon::Warning);
  };
  view_.SetTrayHint(lang_.Msg(kMsgWritingInfoTxt));
  ClearAttributes(txt);
  ClearAttributes(tmp);
  char number[24];
  std::snprintf(number, sizeof number, "%d\r\n", document_number);
  if (!WriteWithAttempts(tmp, number, 20)) {
    warn(tmp);
  } else if (!CopyFileOver(tmp, txt)) {
    warn(txt);
  }

  view_.SetTrayHint(lang_.Msg(kMsgWritingInfoTmp));
  if (!WriteWithAttempts(tmp, record, 21)) warn(tmp);
  if (!CopyWithAttempts(tmp, InfoFile("info.ful"), 21)) warn("Chyba pri vytvarani suboru info.ful");
  view_.SetTrayHint(lang_.Msg(kMsgWritingInfoFul));
  if (!CopyWithAttempts(tmp, InfoFile("esci.txt"), 21)) warn("Chyba pri vytvarani suboru esci.txt");
  view_.SetTrayHint(lang_.Msg(kMsgWritingEsciTxt));
}

bool WorkingFiles::OpenJournal() {
  const std::string& journal = cfg_.path_out;
  if (FileExists(journal)) CopyFileOver(journal, ProgramFile("out_bl.tmp"));
  if (AppendBytes(journal, {})) return true;
  boxes_.Captioned(lang_.Msg(kMsgDebugFileCaption), journal, BoxButtons::Ok, BoxIcon::Warning);
  return false;
}

bool WorkingFiles::AppendJournal(std::string_view text) {
  if (AppendBytes(cfg_.path_out, text)) return true;
  boxes_.Captioned(lang_.Msg(kMsgDebugFileCaption), cfg_.path_out, BoxButtons::Ok,
                   BoxIcon::Warning);
  return false;
}

}  // namespace kv
