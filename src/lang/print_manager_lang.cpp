#include <memory>

#include "base/ini_file.h"
#include "core/print_manager.h"
#include "lang/language_map.h"
#include "lang/message_file.h"

namespace kv {

namespace {

// Full path of the file named in slot `index` of `names`; empty when the slot names none.
std::string SlotFilePath(const std::string& dir, const std::array<std::string, 10>& names,
                         int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(names.size())) return {};
  const std::string& name = names[static_cast<size_t>(index)];
  if (name.empty()) return {};
  // File names match without regard to case, as on the system the files come from.
  return IniFile::ResolvePath(dir, name);
}

}  // namespace

std::string TSRB4900::LanguageFilePath() const {
  return SlotFilePath(program_dir, cfg.language_files, cfg.language);
}

std::string TSRB4900::MessageFilePath() const {
  return SlotFilePath(program_dir, cfg.message_files, cfg.language);
}

void TSRB4900::LoadMessages() {
  const std::string path = MessageFilePath();
  const MessageFileStatus status =
      path.empty() ? MessageFileStatus::Missing : ReadMessageFile(path, messages);
  if (status == MessageFileStatus::Missing) {
    boxes.Captioned("KV4910 file doesn't exists", path.empty() ? ProgramFile("") : path,
                    BoxButtons::Ok, BoxIcon::Warning);
  } else if (status == MessageFileStatus::ReadError) {
    boxes.Captioned("File Error",
                    "Can't perform one of the following file operations: Open, Seek, Read, "
                    "Close.",
                    BoxButtons::OkCancel);
  }
}

void TSRB4900::LoadLanguage(bool settings, bool main, bool others) {
  const std::string path = LanguageFilePath();
  std::unique_ptr<IniFile> file;
  if (!path.empty()) file = std::make_unique<IniFile>(path);
  ApplyLanguage(file && file->exists() ? file.get() : nullptr, view, settings, main, others);
}

}  // namespace kv
