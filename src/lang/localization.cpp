#include "lang/localization.h"

#include <memory>

#include "base/config.h"
#include "base/ini_file.h"
#include "base/operator_boxes.h"
#include "base/view.h"
#include "base/view_names.h"
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

Localization::Localization(const Config& cfg, const std::string& program_dir, OperatorBoxes& boxes,
                           View& view)
    : cfg_(cfg), program_dir_(program_dir), boxes_(boxes), view_(view) {}

std::string Localization::LanguageFilePath() const {
  return SlotFilePath(program_dir_, cfg_.language_files, cfg_.language);
}

std::string Localization::MessageFilePath() const {
  return SlotFilePath(program_dir_, cfg_.message_files, cfg_.language);
}

void Localization::LoadMessages() {
  const std::string path = MessageFilePath();
  TellMessageFileStatus(
      path, path.empty() ? MessageFileStatus::Missing : ReadMessageFile(path, messages_));
}

bool Localization::ReloadMessages() {
  const std::string path = MessageFilePath();
  MessageTable fresh;
  const MessageFileStatus status =
      path.empty() ? MessageFileStatus::Missing : ReadMessageFile(path, fresh);
  TellMessageFileStatus(path, status);
  if (status != MessageFileStatus::Loaded) return false;
  messages_ = fresh;
  return true;
}

void Localization::TellMessageFileStatus(const std::string& path, MessageFileStatus status) {
  if (status == MessageFileStatus::Missing) {
    const std::string dir = program_dir_.empty() ? std::string() : program_dir_ + "/";
    boxes_.Captioned("KV4910 file doesn't exists", path.empty() ? dir : path, BoxButtons::Ok,
                     BoxIcon::Warning);
  } else if (status == MessageFileStatus::ReadError) {
    boxes_.Captioned("File Error",
                     "Can't perform one of the following file operations: Open, Seek, Read, "
                     "Close.",
                     BoxButtons::OkCancel);
  }
}

std::unique_ptr<IniFile> Localization::OpenLanguageFile() const {
  const std::string path = LanguageFilePath();
  if (path.empty()) return nullptr;
  auto file = std::make_unique<IniFile>(path);
  if (!file->exists()) return nullptr;
  return file;
}

void Localization::LoadLanguage(bool settings, bool main, bool others) {
  const std::unique_ptr<IniFile> file = OpenLanguageFile();
  ApplyLanguage(file.get(), view_, settings, main, others);
}

std::array<std::string, 10> Localization::TenderNames() const {
  const std::unique_ptr<IniFile> file = OpenLanguageFile();
  std::array<std::string, 10> names;
  for (size_t i = 0; i < names.size(); ++i) {
    names[i] = file ? file->ReadString(kTenderNameSection, TenderNameKey(i), DefaultTenderName(i))
                    : DefaultTenderName(i);
  }
  return names;
}

void Localization::ShowStateText(StateText where, std::string_view text) const {
  state_messages_[static_cast<size_t>(where)] = -1;
  if (where == StateText::Caption)
    view_.SetText(view_names::kMainWindow, text);
  else
    view_.SetItemText(view_names::kStatusBar, view_names::kPanelState, text);
}

void Localization::ShowStateMessage(StateText where, int n) const {
  ShowStateText(where, Msg(n));
  state_messages_[static_cast<size_t>(where)] = n;
}

void Localization::ShowStateMessagesAgain() const {
  for (const StateText where : {StateText::Caption, StateText::StatePanel}) {
    const int n = state_messages_[static_cast<size_t>(where)];
    if (n >= 0) ShowStateMessage(where, n);
  }
}

}  // namespace kv
