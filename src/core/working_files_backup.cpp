#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "core/print_manager.h"
#include "core/working_files.h"

namespace kv {

namespace {

constexpr size_t kPiece = 1000;

// Appends the whole of `from` to `to` in pieces of 1000 bytes. False unless every byte reached
// the target and the target was closed without an error.
bool AppendFileInPieces(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  if (!in) return false;
  std::ofstream out(to, std::ios::binary | std::ios::app);
  if (!out) return false;
  std::vector<char> piece(kPiece);
  while (in) {
    in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
    const std::streamsize got = in.gcount();
    if (got > 0 && !out.write(piece.data(), got)) return false;
  }
  if (in.bad()) return false;
  out.close();
  return !out.fail();
}

// Copies `from` to a new file `to`; a target left half-written is removed again so that the
// next backup does not append to a torn copy.
bool CopyToNewFile(const std::string& from, const std::string& to) {
  if (FileExists(to)) return false;
  if (AppendFileInPieces(from, to)) return true;
  std::remove(to.c_str());
  return false;
}

// Appends `from` to the existing `to`; on a failure the target is cut back to its old length so
// that a later backup does not store the same text twice.
bool AppendToExisting(const std::string& from, const std::string& to) {
  std::error_code error;
  const auto old_size = std::filesystem::file_size(to, error);
  if (AppendFileInPieces(from, to)) return true;
  if (!error) std::filesystem::resize_file(to, old_size, error);
  return false;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error);
}

}  // namespace

bool TSRB4900::Zalohovanie1Click() {
  const std::string journal = cfg.path_out;
  if (!FileExists(journal)) return false;  // nothing gathered since the last backup
  const std::string target = BackupTarget(cfg.backup1, cfg.backup_date, local_time());

  // The journal is deleted only once its whole content is safely in the target; a failed or
  // partial copy keeps it for the next attempt.
  const bool saved =
      FileExists(target) ? AppendToExisting(journal, target) : CopyToNewFile(journal, target);
  if (!saved) {
    LogError("Chyba zalohovania do " + target);
    boxes.Captioned(Msg(2), target, BoxButtons::Ok, BoxIcon::Warning);
    return false;
  }
  ClearAttributes(journal);
  std::remove(journal.c_str());

  if (!cfg.backup2.empty()) {
    const std::string second = JoinPath(DirectoryPart(cfg.backup2), FileNamePart(target));
    if (!SameFile(target, second) && !CopyFileOver(target, second)) {
      LogError("Chyba zalohovania do " + second);
      boxes.Captioned(Msg(2), second, BoxButtons::Ok, BoxIcon::Warning);
    }
  }
  return true;
}

}  // namespace kv
