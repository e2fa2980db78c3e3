#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>

#include "base/error_log.h"
#include "base/repeat_filter.h"
#include "link/result_files.h"

namespace kv {

class AppShell;
class Clock;
class Localization;
class OperatorBoxes;
class PrinterLink;
class View;
struct Config;

// The working and result files of the program directory and the information directory: the
// error file FM_err.txt (with repeated lines counted instead of written), the result files
// info.txt, info.ful, esci.txt, the journal and its readout copy out_bl.tmp, and the backup of
// the journal. Files are raw bytes; a write that fails is told to the operator.
class WorkingFiles final : public ErrorLog, public ResultFiles {
 public:
  WorkingFiles(Clock& clock, const AppShell& app, OperatorBoxes& boxes, View& view,
               const Config& cfg, const Localization& lang, const PrinterLink& link,
               const std::string& program_dir, const std::function<std::tm()>& local_time);
  // Writes the counts of repeated error lines that are still open.
  ~WorkingFiles() override;
  WorkingFiles(const WorkingFiles&) = delete;
  WorkingFiles& operator=(const WorkingFiles&) = delete;

  // Full path of a file in the program directory / the information directory (path_info).
  std::string ProgramFile(const std::string& name) const;
  std::string InfoFile(const std::string& name) const;
  // FM_err.txt, the error file.
  std::string ErrorFilePath() const { return ProgramFile("FM_err.txt"); }

  // ---- the error file ----------------------------------------------------------------------
  // One line "> (date time identification) text"; a line that keeps coming is counted.
  void LogError(std::string_view text) override;
  void FlushErrorRepeats();
  // The error file's line for `text` at the current time.
  std::string ErrorLine(std::string_view text) const;
  // Appends raw bytes to the error file; false when it cannot be written.
  bool AppendErrorFile(std::string_view bytes);

  // ---- result files ------------------------------------------------------------------------
  // info.txt: "9999" and the status value of the last query.
  void WriteInfoFile() override;
  // After a job's read-back: info.txt gets the document number, info.ful the device record.
  void WriteResultFiles(int32_t document_number, std::string_view record);
  // After a client's information readout: info.txt, info.ful and esci.txt, with the tray
  // telling each step.
  void WriteDeviceInfoFiles(int32_t document_number, std::string_view record) override;
  // Writes (or copies) a file, trying again 50 ms later up to `attempts` times.
  bool WriteWithAttempts(const std::string& path, std::string_view bytes, int attempts);
  bool CopyWithAttempts(const std::string& from, const std::string& to, int attempts);

  // ---- journal -----------------------------------------------------------------------------
  // Before a journal readout: the journal is copied to out_bl.tmp and opened for appending.
  bool OpenJournal() override;
  bool AppendJournal(std::string_view text) override;
  // The backup command: true when the journal was moved into the backup file.
  bool Zalohovanie1Click();

  // Deletes a file; true when it is gone. Tests replace the remover to model a file that stays.
  bool Remove(const std::string& path) const { return remove_file_(path); }
  void SetFileRemover(std::function<bool(const std::string&)> remove) {
    remove_file_ = std::move(remove);
  }

 private:
  void AppendErrorLine(std::string_view text, bool tell_operator);
  static std::string RepeatedText(const RepeatFilter::Run& run);
  void DelayMs(uint32_t ms);

  Clock& clock_;
  const AppShell& app_;
  OperatorBoxes& boxes_;
  View& view_;
  const Config& cfg_;
  const Localization& lang_;
  const PrinterLink& link_;
  const std::string& program_dir_;
  const std::function<std::tm()>& local_time_;
  std::function<bool(const std::string&)> remove_file_;
  RepeatFilter error_repeats_;
};

}  // namespace kv
