#include "reports/ui/form_zurnal.h"

#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTextCursor>
#include <QVBoxLayout>

#include "base/config.h"
#include "base/ini_file.h"
#include "base/operator_boxes.h"
#include "lang/message_table.h"
#include "reports/journal_loader.h"
#include "reports/journal_viewer.h"
#include "qt/window_support.h"

namespace kv {

namespace {

// File bytes loaded per turn of the event loop: converting them and adding them to the text
// takes a few milliseconds, so a 50 MB journal fills without the window ever stalling.
constexpr size_t kLoadStepBytes = 64 * 1024;

constexpr int kMsgFileMissing = 93;
constexpr int kMsgNotFoundBefore = 94;
constexpr int kMsgNotFoundAfter = 95;
constexpr int kMsgFileError = 2;

}  // namespace

TForm_zurnal::TForm_zurnal(JournalViewerServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)) {
  setObjectName("Form_zurnal");
  setMinimumWidth(kMinViewerWidth);  // FormResize: never narrower than 230

  Edit_datum = new QLineEdit(this);
  Edit_datum->setObjectName("Edit_datum");
  BitBtn_dalsi = new QPushButton(this);  // its caption and the field's hint: language texts
  BitBtn_dalsi->setObjectName("BitBtn_dalsi");
  connect(BitBtn_dalsi, &QPushButton::clicked, this, &TForm_zurnal::BitBtn_dalsiClick);

  RE_zurnal = new QPlainTextEdit(this);
  RE_zurnal->setObjectName("RE_zurnal");
  RE_zurnal->setReadOnly(true);
  RE_zurnal->setUndoRedoEnabled(false);
  RE_zurnal->setLineWrapMode(QPlainTextEdit::NoWrap);
  RE_zurnal->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  RE_zurnal->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // A found date stays marked while the focus is on the search button.
  QPalette palette = RE_zurnal->palette();
  for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
    palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
  RE_zurnal->setPalette(palette);

  auto* search = new QHBoxLayout;
  search->addWidget(Edit_datum, 1);
  search->addWidget(BitBtn_dalsi);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(search);
  layout->addWidget(RE_zurnal, 1);

  load_timer_.setInterval(0);
  connect(&load_timer_, &QTimer::timeout, this, &TForm_zurnal::LoadStep);
}

TForm_zurnal::~TForm_zurnal() = default;

void TForm_zurnal::Open(const std::string& path) {
  load_timer_.stop();
  path_ = path;
  setWindowTitle(QFile::decodeName(path.c_str()));
  const ViewerGeometry geometry = JournalViewerGeometry(services_.cfg);
  move(geometry.x, geometry.y);
  resize(geometry.width, geometry.height);

  RE_zurnal->clear();
  loader_ = std::make_unique<JournalLoader>(path, services_.messages.Text(kMsgFileMissing));
  Append(loader_->text());  // a missing file: message 93 and the path
  if (!loader_->done()) load_timer_.start();
  show();
  raise();
  activateWindow();
}

void TForm_zurnal::LoadStep() {
  Append(loader_->Step(kLoadStepBytes));
  if (!loader_->done()) return;
  load_timer_.stop();
  // The viewer shows what it could read without a box; the error file keeps the path.
  if (loader_->failed() && services_.log_error)
    services_.log_error("Chyba citania suboru " + path_);
}

void TForm_zurnal::Append(std::string_view cp1250) {
  if (cp1250.empty()) return;
  QTextCursor end(RE_zurnal->document());
  end.movePosition(QTextCursor::End);
  end.insertText(FromCp1250(cp1250));
}

void TForm_zurnal::BitBtn_dalsiClick() {
  const QTextCursor cursor = RE_zurnal->textCursor();
  const TextSelection current{static_cast<size_t>(cursor.selectionStart()),
                              static_cast<size_t>(cursor.selectionEnd() - cursor.selectionStart())};
  static const std::string kNothing;
  const std::string& text = loader_ ? loader_->text() : kNothing;
  const std::string needle = Edit_datum->text().toStdString();
  if (const auto found = FindInJournal(text, needle, current)) {
    QTextCursor select(RE_zurnal->document());
    select.setPosition(static_cast<int>(found->start));
    select.setPosition(static_cast<int>(found->start + found->length), QTextCursor::KeepAnchor);
    RE_zurnal->setTextCursor(select);
    BitBtn_dalsi->setFocus();
    return;
  }
  RE_zurnal->setFocus();
  RE_zurnal->moveCursor(QTextCursor::Start);
  const MessageTable& m = services_.messages;
  services_.boxes.Plain(NotFoundText(m.Text(kMsgNotFoundBefore), ToCp1250(Edit_datum->text()),
                                     m.Text(kMsgNotFoundAfter)));
}

void TForm_zurnal::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;  // coming back from minimised is no new showing
  Edit_datum->setText(FromCp1250(JournalSearchDate(services_.local_time())));
}

void TForm_zurnal::closeEvent(QCloseEvent* event) {
  load_timer_.stop();
  IniFile ini(services_.config_file);
  if (!StoreJournalViewerGeometry(services_.cfg, ini, {x(), y(), width(), height()}))
    services_.boxes.Captioned(services_.messages.Text(kMsgFileError), ini.path(), BoxButtons::Ok,
                              BoxIcon::Warning);
  event->accept();
}

}  // namespace kv
