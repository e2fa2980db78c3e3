#include "register/ui/price_list_window.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "lang/message_table.h"
#include "register/sale_model.h"
#include "register/till_messages.h"
#include "register/till_printer.h"
#include "register/ui/field_events.h"
#include "register/ui/named_controls.h"

namespace kv {

namespace {

constexpr int kColumns = 4;
constexpr int kColumnWidths[kColumns] = {170, 239, 45, 89};
constexpr int kVisibleRows = 12;

bool Headless() {
  const QString platform = QGuiApplication::platformName();
  return platform == "offscreen" || platform == "minimal";
}

}  // namespace

// "Name (*.bin)|*.bin|All (*.*)|*.*" as a Qt file dialog takes it: "Name (*.bin);;All (*.*)".
QString QtFileFilter(const QString& pairs) {
  const QStringList parts = pairs.split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& name = parts[i];
    filters << (name.contains('(') ? name
                                   : name + " (" + QString(parts[i + 1]).replace(';', ' ') + ")");
  }
  return filters.join(";;");
}

TForm_sklad::TForm_sklad(PriceList& prices, TillPrinter& printer, const MessageTable& messages,
                         std::function<void(const std::string&)> log_error, QWidget* parent)
    : QDialog(parent),
      prices_(prices),
      printer_(printer),
      messages_(messages),
      log_error_(std::move(log_error)) {
  setObjectName("Form_sklad");
  setModal(true);
  resize(600, 420);

  auto* layout = new QVBoxLayout(this);
  grid_ = new QTableWidget(kVisibleRows + 1, kColumns, this);
  grid_->setObjectName("StringGrid_sklad");
  grid_->horizontalHeader()->hide();
  grid_->verticalHeader()->hide();
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  for (int column = 0; column < kColumns; ++column)
    grid_->setColumnWidth(column, kColumnWidths[column]);
  layout->addWidget(grid_, 1);
  BuildFields(layout);

  prices_.SetFileChooser([this](const std::string& start) {
    return AskFile({false, start, FromCp1250(messages_.Text(kMsgOpenListTitle)),
                    QtFileFilter(FromCp1250(messages_.Text(kMsgOpenListFilter)))});
  });
  connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (!showing_rows_) SelectRow(row);
  });
  ShowFields(prices_.SelectRow(-1));
}

void TForm_sklad::BuildFields(QVBoxLayout* layout) {
  auto* fields = new QGridLayout;
  edit_kod_ = NamedEdit("Edit_kod", 13, this);
  edit_nazov_ = NamedEdit("Edit_nazov", 39, this);
  edit_cena_ = NamedEdit("Edit_cena", 12, this);
  cb_dph_ = new QComboBox(this);
  cb_dph_->setObjectName("CB_dph");
  for (int level = 1; level <= kVatLevels; ++level) cb_dph_->addItem(QString::number(level));
  QWidget* const row[] = {edit_kod_, edit_nazov_, edit_cena_, cb_dph_};
  for (int i = 0; i < 4; ++i) {
    fields->addWidget(NamedLabel(QStringLiteral("Label%1").arg(i + 1), this), 0, i);
    fields->addWidget(row[i], 1, i);
    FieldEvents& events = FieldEvents::Watch(row[i]);
    events.on_return = [this] { focusNextChild(); };
    if (row[i] == edit_cena_) events.key_rule = PriceListPriceKey;
  }
  layout->addLayout(fields);

  auto* buttons = new QHBoxLayout;
  const std::pair<const char*, void (TForm_sklad::*)()> actions[] = {
      {"BitBtn_vymaz", &TForm_sklad::BitBtn_vymazClick},
      {"BitBtn_novy", &TForm_sklad::BitBtn_novyClick},
      {"BitBtn_pridaj", &TForm_sklad::BitBtn_pridajClick},
      {"BitBtn_uloz", &TForm_sklad::BitBtn_ulozClick},
      {"BitBtn_nacitaj", &TForm_sklad::BitBtn_nacitajClick},
  };
  for (const auto& [name, handler] : actions) {
    QPushButton* button = NamedButton(name, this);
    connect(button, &QPushButton::clicked, this, handler);
    buttons->addWidget(button);
  }
  layout->addLayout(buttons);
}

void TForm_sklad::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

bool TForm_sklad::event(QEvent* event) {
  const bool handled = QDialog::event(event);
  if (event->type() == QEvent::WindowActivate) FormActivate();
  return handled;
}

void TForm_sklad::FormShow() {
  const auto captions = VatLevelCaptions(printer_.VatRates());
  for (int level = 0; level < kVatLevels; ++level)
    cb_dph_->setItemText(level, FromCp1250(captions[level]));
  ShowHeadings();
  cb_dph_->setCurrentIndex(0);
}

void TForm_sklad::ShowHeadings() {
  for (int column = 0; column < kColumns; ++column) {
    auto* cell = new QTableWidgetItem(FromCp1250(messages_.Text(kMsgListHeadings + column)));
    cell->setFlags(Qt::ItemIsEnabled);
    grid_->setItem(0, column, cell);
  }
}

void TForm_sklad::LanguageChanged() {
  if (isVisible()) ShowHeadings();
}

void TForm_sklad::FormActivate() {
  if (!prices_.Loading()) ShowLoad(prices_.LoadPriceList(false));
}

void TForm_sklad::ShowLoad(const PriceListLoad& load) {
  ShowList();
  SelectRow(1);
  const std::string note = PriceListLoadNote(load, messages_);
  if (!note.empty() && log_error_) log_error_(note);
}

void TForm_sklad::ShowList() {
  showing_rows_ = true;
  // One free row after the records: the next stored article goes there.
  grid_->setRowCount(std::max(kVisibleRows, prices_.Count() + 1) + 1);
  for (int row = 1; row < grid_->rowCount(); ++row) {
    const int record = row - 1;
    const std::array<std::string, kColumns> cells =
        record < prices_.Count() ? prices_.RowCells(record) : std::array<std::string, kColumns>{};
    for (int column = 0; column < kColumns; ++column) {
      auto* cell = new QTableWidgetItem(FromCp1250(cells[column]));
      if (column >= 2) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grid_->setItem(row, column, cell);
    }
  }
  showing_rows_ = false;
}

void TForm_sklad::SelectRow(int row) {
  row_ = std::clamp(row, 1, grid_->rowCount() - 1);
  showing_rows_ = true;
  grid_->setCurrentCell(row_, 0);
  showing_rows_ = false;
  ShowFields(prices_.SelectRow(row_ - 1));
}

void TForm_sklad::ShowFields(const PriceCardFields& fields) {
  edit_kod_->setText(FromCp1250(fields.code));
  edit_nazov_->setText(FromCp1250(fields.name));
  edit_cena_->setText(FromCp1250(fields.price));
  cb_dph_->setCurrentIndex(fields.vat_index);
}

void TForm_sklad::BitBtn_novyClick() {
  SelectRow(prices_.NewRow() + 1);
}

void TForm_sklad::BitBtn_pridajClick() {
  const int record = row_ - 1;
  const bool append = record >= prices_.Count();
  const PriceCardFields fields{ToCp1250(edit_kod_->text()), ToCp1250(edit_nazov_->text()),
                               ToCp1250(edit_cena_->text()), cb_dph_->currentIndex()};
  using Outcome = PriceList::StoreOutcome;
  switch (prices_.Store(record, fields)) {
    case Outcome::Saved:
    case Outcome::NotWritten:  // kept in the list; the operator was told about the file
      ShowList();
      SelectRow(append ? prices_.Count() : row_);
      break;
    case Outcome::EmptyName:
      edit_nazov_->setFocus();
      break;
    case Outcome::DuplicateCode:
      edit_kod_->setFocus();
      break;
    case Outcome::BadPrice:
      edit_cena_->setFocus();
      break;
    case Outcome::NoVatLevel:
      cb_dph_->setFocus();
      break;
    case Outcome::ListFull:
      break;
  }
}

void TForm_sklad::BitBtn_vymazClick() {
  const int row = prices_.Remove(row_ - 1) + 1;
  ShowList();
  SelectRow(row);
}

void TForm_sklad::BitBtn_ulozClick() {
  // A cancelled dialog saves nothing: the list may have come from another file, and the
  // configured file is not to be overwritten with it unasked.
  const auto chosen =
      AskFile({true, prices_.ConfiguredPath(), FromCp1250(messages_.Text(kMsgSaveListTitle)),
               QtFileFilter(FromCp1250(messages_.Text(kMsgOpenListFilter)))});
  if (chosen) prices_.SaveTo(*chosen);
}

void TForm_sklad::BitBtn_nacitajClick() {
  ShowLoad(prices_.LoadPriceList(true));
}

std::optional<std::string> TForm_sklad::AskFile(const FileQuestion& question) {
  if (file_dialog) return file_dialog(question);
  if (Headless()) return std::nullopt;  // nobody can choose: as if cancelled
  const QFileInfo start(QFile::decodeName(question.start.c_str()));
  QFileDialog dialog(this, question.title, start.absolutePath(), question.filter);
  dialog.setObjectName("OpenDialog_sklad");
  dialog.setAcceptMode(question.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(question.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix("bin");
  dialog.selectFile(start.fileName().isEmpty() ? QStringLiteral("sklad.bin") : start.fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

}  // namespace kv
