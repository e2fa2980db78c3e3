#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "register/price_list.h"

class QComboBox;
class QLineEdit;
class QTableWidget;
class QVBoxLayout;

namespace kv {

class MessageTable;
class TillPrinter;

// The price list editor ("Form_sklad"): the articles of the price list in a grid, the fields of
// the selected one, and saving to and loading from other files. The list itself is the core's
// PriceList, shared with the sale screen.
class TForm_sklad final : public QDialog {
  Q_OBJECT
 public:
  // A file dialog: open or save, starting at `start`; the chosen path, or nothing when it was
  // cancelled. Paths are file names as the file system takes them.
  struct FileQuestion {
    bool save = false;
    std::string start;
    QString title;
    QString filter;
  };
  using FileDialog = std::function<std::optional<std::string>(const FileQuestion&)>;

  // Installs the window's open dialog as the list's file chooser. `log_error` takes a line for
  // the error file (what a load left out).
  TForm_sklad(PriceList& prices, TillPrinter& printer, const MessageTable& messages,
              std::function<void(const std::string&)> log_error, QWidget* parent = nullptr);

  // The language was changed: a shown list's headings follow it.
  void LanguageChanged();

  // The file dialogs; a Qt file dialog unless replaced (without a screen it is cancelled).
  FileDialog file_dialog;

  // Reloads the list from its file unless a load is running: each time the window becomes
  // active.
  void FormActivate();

 protected:
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void BuildFields(QVBoxLayout* layout);
  void FormShow();
  void ShowHeadings();  // messages 83 ... 86 in the grid's first row
  void ShowList();
  void ShowLoad(const PriceListLoad& load);
  void SelectRow(int row);
  void ShowFields(const PriceCardFields& fields);
  void BitBtn_novyClick();
  void BitBtn_pridajClick();
  void BitBtn_vymazClick();
  void BitBtn_ulozClick();
  void BitBtn_nacitajClick();
  std::optional<std::string> AskFile(const FileQuestion& question);

  PriceList& prices_;
  TillPrinter& printer_;
  const MessageTable& messages_;
  std::function<void(const std::string&)> log_error_;
  int row_ = 1;  // the selected grid row; row r shows record r - 1
  bool showing_rows_ = false;
  QTableWidget* grid_;
  QLineEdit* edit_kod_;
  QLineEdit* edit_nazov_;
  QLineEdit* edit_cena_;
  QComboBox* cb_dph_;
};

}  // namespace kv
