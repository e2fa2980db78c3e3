#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "lang/message_file.h"
#include "lang/message_table.h"

namespace kv {

struct Config;
class IniFile;
class OperatorBoxes;
class View;

// Messages of the main window's state texts.
inline constexpr int kMsgNotConnected = 108;
inline constexpr int kMsgNotice = 115;  // the program's name: the state of a ready printer

// The program's texts: the numbered run-time messages (the message table) and the window texts
// of the language file. The language slots come from the configuration record and the files
// from the program directory; both are looked at on every load, so a changed language or a
// program directory set later is taken into account.
class Localization {
 public:
  Localization(const Config& cfg, const std::string& program_dir, OperatorBoxes& boxes, View& view);
  Localization(const Localization&) = delete;
  Localization& operator=(const Localization&) = delete;

  // Text of message n; empty for a number outside the table or a message the file lacks.
  std::string Msg(int n) const { return messages_.Text(n); }
  MessageTable& messages() { return messages_; }
  const MessageTable& messages() const { return messages_; }

  // Fills the message table from the message file of the current language; a missing or
  // unreadable file is told in a box and leaves the table as it was.
  void LoadMessages();
  // The same after the language was changed: the table is filled anew only from a file that
  // was read whole, so a missing or unreadable file (told in its box) keeps every message of
  // the previous language instead of a mixture. False when the table was kept.
  bool ReloadMessages();
  // Applies the language file of the current language to the switched-on groups of windows
  // (built-in texts where the file or a key is missing).
  void LoadLanguage(bool settings, bool main, bool others);
  // Full paths of the current language's files; empty when the slot names no file.
  std::string LanguageFilePath() const;
  std::string MessageFilePath() const;

  // The built-in names of the ten tenders as the current language file gives them
  // (TenderNameKey), or the configuration's own built-in names.
  std::array<std::string, 10> TenderNames() const;

  // The main window's caption and state panel, when they show a message: the number is kept,
  // so that a language change shows the same message from the new table.
  enum class StateText { Caption, StatePanel };
  void ShowStateMessage(StateText where, int n) const;
  // A text that is no message (the printer's name, the system's name): shown, nothing kept.
  void ShowStateText(StateText where, std::string_view text) const;
  void ShowStateMessagesAgain() const;

 private:
  void TellMessageFileStatus(const std::string& path, MessageFileStatus status);
  // The current language's file, or nullptr when the slot names none or it does not exist.
  std::unique_ptr<IniFile> OpenLanguageFile() const;

  const Config& cfg_;
  const std::string& program_dir_;
  OperatorBoxes& boxes_;
  View& view_;
  MessageTable messages_;
  // What the windows show is no state of the texts, so const callers may keep it up to date.
  mutable std::array<int, 2> state_messages_{-1, -1};
};

}  // namespace kv
