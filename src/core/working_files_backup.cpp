#include <filesystem>
#include <fstream>
#include <vector>

#include "base/config.h"
#include "base/operator_boxes.h"
#include "core/core_messages.h"
#include "core/file_io.h"
#include "core/working_files.h"
#include "lang/localization.h"

namespace kv {

namespace {

constexpr size_t kPiece = 1000;

// Appends the whole of `from` to `to` (created when missing) in pieces of 1000 bytes. False
// unless every byte reached the target and the target was closed without an error.
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

// The same file under two names (same device and inode), or the same path.
bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code error;
  return std::filesystem::equivalent(a, b, error);
}

}  // namespace

bool WorkingFiles::Zalohovanie1Click() {
  namespace fs = std::filesystem;
  const std::string journal = cfg_.path_out;
  if (!FileExists(journal)) return false;  // nothing gathered since the last backup
  const std::string target = BackupTarget(cfg_.backup1, cfg_.backup_date, local_time_());
  auto fail = [&](const std::string& path) {
    LogError("Chyba zalohovania do " + path);
    boxes_.Captioned(lang_.Msg(kMsgDebugFileCaption), path, BoxButtons::Ok, BoxIcon::Warning);
    return false;
  };
  // Backing the journal up into itself would end in deleting it.
  if (SameFile(journal, target)) return fail(target);

  std::error_code error;
  const bool existed = FileExists(target);
  const auto old_size = existed ? fs::file_size(target, error) : 0;
  if (error) return fail(target);
  // The journal is deleted only once its whole content is safely in the target. When either
  // step fails the target is put back as it was, so that the next backup does not hold the same
  // text twice, and the journal stays for it.
  bool moved = AppendFileInPieces(journal, target);
  if (moved) {
    ClearAttributes(journal);
    moved = remove_file_(journal);
  }
  if (!moved) {
    if (existed)
      fs::resize_file(target, old_size, error);
    else
      fs::remove(target, error);
    return fail(target);
  }

  if (!cfg_.backup2.empty()) {
    const std::string second = JoinPath(DirectoryPart(cfg_.backup2), FileNamePart(target));
    if (!SameFile(target, second) && !CopyFileOver(target, second)) fail(second);
  }
  return true;
}

}  // namespace kv
