#pragma once

#include <string>

#include "lang/message_table.h"

namespace kv {

struct Config;
class OperatorBoxes;
class View;

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
  // unreadable file is told in a box and leaves the table as it was. A message the file lacks
  // is taken from the shipped file of the same name, when there is one.
  void LoadMessages();
  // The directory of the installed program's shipped files (empty: none).
  void SetShippedDir(std::string dir) { shipped_dir_ = std::move(dir); }
  // Applies the language file of the current language to the switched-on groups of windows
  // (built-in texts where the file or a key is missing).
  void LoadLanguage(bool settings, bool main, bool others);
  // Full paths of the current language's files; empty when the slot names no file.
  std::string LanguageFilePath() const;
  std::string MessageFilePath() const;

 private:
  void FillFromShippedFile(const std::string& path);

  const Config& cfg_;
  const std::string& program_dir_;
  OperatorBoxes& boxes_;
  View& view_;
  std::string shipped_dir_;
  MessageTable messages_;
};

}  // namespace kv
