#include "reports/ui/form_copy.h"

#include <QAction>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include "base/operator_boxes.h"
#include "lang/message_table.h"
#include "qt/window_support.h"

namespace kv {

namespace {

// The masks of the interval and time fields; text() gives the digits with the separators.
constexpr const char* kDateMask = "99.99.9999;_";
constexpr const char* kNumberMask = "0000;_";
constexpr const char* kTimeMask = "99:99;_";

constexpr int kNumberFieldLength = 4;

QDate Today(const std::tm& now) {
  return QDate(now.tm_year + 1900, now.tm_mon + 1, now.tm_mday);
}

// A masked field as the requests take it: its digits only (ddmmyyyy, hhmm, or the number).
std::string DigitsOf(const QLineEdit* edit) {
  std::string digits;
  for (const QChar c : edit->text())
    if (c >= '0' && c <= '9') digits += static_cast<char>(c.unicode());
  return digits;
}

QLineEdit* NamedEdit(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  return edit;
}

QLabel* NamedLabel(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  return label;
}

}  // namespace

TForm_copy::TForm_copy(CopyWindowServices services, QWidget* parent)
    : QDialog(parent), services_(std::move(services)), transfer_(services_.line, services_.clock) {
  setObjectName("Form_copy");
  // Captions, hints and the locale come from the language texts.
  BitBtn_tlac = new QPushButton(this);
  BitBtn_tlac->setObjectName("BitBtn_tlac");
  BitBtn_copy_to_pc = new QPushButton(this);
  BitBtn_copy_to_pc->setObjectName("BitBtn_copy_to_pc");
  BitBtn_zrus = new QPushButton(this);
  BitBtn_zrus->setObjectName("BitBtn_zrus");
  BitBtn_zrus->setEnabled(false);
  for (QPushButton* button : {BitBtn_tlac, BitBtn_copy_to_pc, BitBtn_zrus})
    button->setAutoDefault(false);  // Enter in a field sends nothing by itself
  connect(BitBtn_tlac, &QPushButton::clicked, this, &TForm_copy::BitBtn_tlacClick);
  connect(BitBtn_copy_to_pc, &QPushButton::clicked, this, &TForm_copy::BitBtn_copy_to_pcClick);
  connect(BitBtn_zrus, &QPushButton::clicked, this, &TForm_copy::BitBtn_zrusClick);

  RE_doklad = new QTextEdit(this);
  RE_doklad->setObjectName("RE_doklad");
  RE_doklad->setLineWrapMode(QTextEdit::NoWrap);
  RE_doklad->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

  auto* top = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(BuildCalendar());
  left->addWidget(BuildEntries());
  top->addLayout(left);
  top->addWidget(BuildParameters(), 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BitBtn_tlac);
  buttons->addWidget(BitBtn_copy_to_pc);
  buttons->addStretch();
  buttons->addWidget(BitBtn_zrus);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
  layout->addWidget(RE_doklad, 1);

  poll_timer_.setInterval(kPollMs);
  connect(&poll_timer_, &QTimer::timeout, this, &TForm_copy::PollLine);

  // FormCreate: entry 0 and the interval fields as CheckBox_datumClick fills them.
  RG_kopieClick(0);
  CheckBox_datumClick();
}

TForm_copy::~TForm_copy() = default;

QWidget* TForm_copy::BuildCalendar() {
  kalendar = new QCalendarWidget(this);
  kalendar->setObjectName("kalendar");
  kalendar->setFirstDayOfWeek(Qt::Monday);
  const QDate today = Today(services_.local_time());
  kalendar->setMaximumDate(today);
  kalendar->setSelectedDate(today);

  PopupMenu_kalendar = new QMenu(this);
  PopupMenu_kalendar->setObjectName("PopupMenu_kalendar");
  PreniestdokolonkyOd1 = PopupMenu_kalendar->addAction(QString());
  PreniestdokolonkyOd1->setObjectName("PreniestdokolonkyOd1");
  PreniestdokolonkyDo1 = PopupMenu_kalendar->addAction(QString());
  PreniestdokolonkyDo1->setObjectName("PreniestdokolonkyDo1");
  connect(PreniestdokolonkyOd1, &QAction::triggered, this, &TForm_copy::PreniestdokolonkyOd1Click);
  connect(PreniestdokolonkyDo1, &QAction::triggered, this, &TForm_copy::PreniestdokolonkyDo1Click);
  kalendar->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(kalendar, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu_kalendar->popup(kalendar->mapToGlobal(at)); });
  return kalendar;
}

QWidget* TForm_copy::BuildEntries() {
  RG_kopie = new QGroupBox(this);
  RG_kopie->setObjectName("RG_kopie");
  entries_ = new QButtonGroup(RG_kopie);
  auto* column = new QVBoxLayout(RG_kopie);
  for (int i = 0; i < kCopyEntries; ++i) {
    auto* button = new QRadioButton(RG_kopie);
    entries_->addButton(button, i);
    column->addWidget(button);
  }
  entries_->button(0)->setChecked(true);
  connect(entries_, &QButtonGroup::idClicked, this, &TForm_copy::RG_kopieClick);
  return RG_kopie;
}

QWidget* TForm_copy::BuildParameters() {
  GroupBox1 = new QGroupBox(this);
  GroupBox1->setObjectName("GroupBox1");
  auto* grid = new QGridLayout(GroupBox1);
  int row = 0;

  Edit_kdokladu = NamedEdit("Edit_kdokladu", GroupBox1);
  Edit_kdokladu->setText("1");
  Edit_kbldu = NamedEdit("Edit_kbldu", GroupBox1);
  Edit_kbldu->setText("0");
  Edit_kdu = NamedEdit("Edit_kdu", GroupBox1);
  Edit_kdu->setText("1");
  const std::pair<QLineEdit*, const char*> numbers[] = {
      {Edit_kdokladu, "Label_kdokladu"}, {Edit_kbldu, "Label_kbldu"}, {Edit_kdu, "Label_kdu"}};
  for (const auto& [edit, label] : numbers) {
    edit->setMaxLength(kNumberFieldLength);
    edit->installEventFilter(new KeyFilter(CopyNumberKeyAccepted, edit));
    edit->installEventFilter(this);
    grid->addWidget(NamedLabel(label, GroupBox1), row, 0);
    grid->addWidget(edit, row++, 1);
  }

  CheckBox_datum = new QCheckBox(GroupBox1);
  CheckBox_datum->setObjectName("CheckBox_datum");
  CheckBox_datum->setChecked(true);
  connect(CheckBox_datum, &QCheckBox::clicked, this, &TForm_copy::CheckBox_datumClick);
  grid->addWidget(CheckBox_datum, row++, 0, 1, 3);

  Label_od = NamedLabel("Label_od", GroupBox1);
  Label_do = NamedLabel("Label_do", GroupBox1);
  MaskEdit_od = NamedEdit("MaskEdit_od", GroupBox1);
  MaskEdit_do = NamedEdit("MaskEdit_do", GroupBox1);
  MaskEdit_casod = NamedEdit("MaskEdit_casod", GroupBox1);
  MaskEdit_casdo = NamedEdit("MaskEdit_casdo", GroupBox1);
  for (QLineEdit* time : {MaskEdit_casod, MaskEdit_casdo}) time->setInputMask(kTimeMask);
  grid->addWidget(Label_od, row, 0);
  grid->addWidget(MaskEdit_od, row, 1);
  grid->addWidget(MaskEdit_casod, row++, 2);
  grid->addWidget(Label_do, row, 0);
  grid->addWidget(MaskEdit_do, row, 1);
  grid->addWidget(MaskEdit_casdo, row++, 2);

  Edit_crc16_in = NamedEdit("Edit_crc16_in", GroupBox1);
  Edit_crc16_vyp = NamedEdit("Edit_crc16_vyp", GroupBox1);
  for (QLineEdit* crc : {Edit_crc16_in, Edit_crc16_vyp}) {
    crc->setEnabled(false);
    crc->installEventFilter(this);
  }
  grid->addWidget(NamedLabel("Label_crc16", GroupBox1), row, 0);
  grid->addWidget(Edit_crc16_in, row, 1);
  grid->addWidget(Edit_crc16_vyp, row++, 2);
  // Room for a whole date in every field of the two columns.
  const int width = MaskEdit_od->fontMetrics().horizontalAdvance("00.00.00000") + 12;
  for (QLineEdit* edit :
       {MaskEdit_od, MaskEdit_do, MaskEdit_casod, MaskEdit_casdo, Edit_crc16_in, Edit_crc16_vyp})
    edit->setMinimumWidth(width);
  grid->setRowStretch(row, 1);
  return GroupBox1;
}

void TForm_copy::ShowModal() {
  if (NoScreen()) {
    // Nobody can use the window: it closes at once, which starts the print-job timer again.
    if (services_.on_close) services_.on_close();
    return;
  }
  exec();
}

void TForm_copy::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The window lives for the whole run: today moves on after midnight.
  if (!event->spontaneous()) kalendar->setMaximumDate(Today(services_.local_time()));
}

CalendarDate TForm_copy::CalendarValue() const {
  const QDate date = kalendar->selectedDate();
  return {date.year(), date.month(), date.day()};
}

void TForm_copy::SelectEntry(int entry) {
  if (entries_->checkedId() == entry) return;
  entries_->button(entry)->setChecked(true);
  RG_kopieClick(entry);
}

void TForm_copy::RG_kopieClick(int entry) {
  const std::optional<CopyFieldState> state = CopyFieldsForEntry(entry);
  if (!state) return;
  for (QWidget* w : std::initializer_list<QWidget*>{MaskEdit_od, MaskEdit_do, Label_od, Label_do})
    w->setEnabled(state->interval);
  CheckBox_datum->setEnabled(state->by_date_box);
  MaskEdit_casod->setEnabled(state->times);
  MaskEdit_casdo->setEnabled(state->times);
  for (QLineEdit* number : {Edit_kdokladu, Edit_kbldu, Edit_kdu})
    number->setEnabled(state->numbers);
  fetch_enabled_ = state->fetch;
  BitBtn_copy_to_pc->setEnabled(fetch_enabled_ && !waiting());
  if (!state->fill_date_and_time) return;
  SetIntervalFields(IntervalMask::Date, DateAsDdmmyyyy(CalendarValue()));
  const std::tm now = services_.local_time();
  const QString time = QString::fromStdString(TimeAsHhmm(now.tm_hour, now.tm_min));
  MaskEdit_casod->setText(time);
  MaskEdit_casdo->setText(time);
}

void TForm_copy::CheckBox_datumClick() {
  const IntervalFill fill = FillIntervalFields(CheckBox_datum->isChecked(), CalendarValue());
  SetIntervalFields(fill.mask, fill.text);
}

void TForm_copy::SetIntervalFields(IntervalMask mask, const std::string& text) {
  for (QLineEdit* edit : {MaskEdit_od, MaskEdit_do}) {
    edit->setInputMask(mask == IntervalMask::Date ? kDateMask : kNumberMask);
    edit->setText(QString::fromStdString(text));
  }
}

void TForm_copy::PreniestdokolonkyOd1Click() {
  if (CheckBox_datum->isChecked())
    MaskEdit_od->setText(QString::fromStdString(DateAsDdmmyyyy(CalendarValue())));
}

void TForm_copy::PreniestdokolonkyDo1Click() {
  if (CheckBox_datum->isChecked())
    MaskEdit_do->setText(QString::fromStdString(DateAsDdmmyyyy(CalendarValue())));
}

CopyFields TForm_copy::Fields() const {
  CopyFields f;
  f.entry = entries_->checkedId();
  f.calendar = CalendarValue();
  f.kdokladu = ToCp1250(Edit_kdokladu->text());
  f.kbldu = ToCp1250(Edit_kbldu->text());
  f.kdu = ToCp1250(Edit_kdu->text());
  f.by_date = CheckBox_datum->isChecked();
  f.od = DigitsOf(MaskEdit_od);
  f.do_ = DigitsOf(MaskEdit_do);
  f.casod = DigitsOf(MaskEdit_casod);
  f.casdo = DigitsOf(MaskEdit_casdo);
  return f;
}

bool TForm_copy::Buildable(const CopyRequest& request) {
  if (request.status == CopyRequestStatus::BadField)
    services_.boxes.App(services_.messages.Text(kMsgCopyFieldIncomplete), BoxButtons::Ok,
                        BoxIcon::Warning);
  return request.status == CopyRequestStatus::Built && !waiting();
}

void TForm_copy::BitBtn_tlacClick() {
  const CopyRequest request = BuildCopyPrintRequest(Fields());
  if (!Buildable(request)) return;
  setWindowTitle(FromCp1250(services_.messages.Text(kMsgCopyWorking)));
  Start(CopyKind::Print, request.bytes);
}

void TForm_copy::BitBtn_copy_to_pcClick() {
  const CopyRequest request = BuildCopyFetchRequest(Fields());
  if (!Buildable(request)) return;
  RE_doklad->setReadOnly(true);
  RE_doklad->setPlainText(FromCp1250(services_.messages.Text(kMsgCopyWorking)));
  Edit_crc16_in->clear();
  Edit_crc16_vyp->clear();
  Start(CopyKind::Fetch, request.bytes);
}

void TForm_copy::Start(CopyKind kind, const std::string& request) {
  SetButtons(false);
  if (transfer_.Start(kind, request) == CopyOutcome::Waiting)
    poll_timer_.start();
  else
    ShowOutcome();
}

void TForm_copy::PollLine() {
  if (transfer_.Poll() == CopyOutcome::Waiting) return;
  ShowOutcome();
}

void TForm_copy::BitBtn_zrusClick() {
  if (!waiting()) return;
  transfer_.Cancel();
  ShowOutcome();
}

void TForm_copy::ShowOutcome() {
  poll_timer_.stop();
  SetButtons(true);
  const bool fetch = transfer_.kind() == CopyKind::Fetch;
  const auto tell = [&](int message) {
    services_.boxes.App(services_.messages.Text(message), BoxButtons::Ok, BoxIcon::Warning);
    if (fetch) RE_doklad->append(FromCp1250(services_.messages.Text(message)));
  };
  switch (transfer_.outcome()) {
    case CopyOutcome::Accepted:
      if (fetch) ShowFetchedBlock(transfer_.block());
      break;
    case CopyOutcome::Refused:
    case CopyOutcome::NoAnswer:
    case CopyOutcome::LineFailed:
      tell(kMsgCopyRefused);
      break;
    case CopyOutcome::Busy:
      tell(kMsgCopyPrinterBusy);
      break;
    case CopyOutcome::Cancelled:
      if (fetch) RE_doklad->clear();
      break;
    case CopyOutcome::Idle:
    case CopyOutcome::Waiting:
      break;
  }
  if (!fetch) setWindowTitle(FromCp1250(services_.messages.Text(kMsgCopyDone)));
}

void TForm_copy::ShowFetchedBlock(const FetchedBlock& block) {
  if (block.status != FetchStatus::Ok) {
    RE_doklad->append(FromCp1250(services_.messages.Text(kMsgCopyRefused)));
    return;
  }
  RE_doklad->clear();
  Edit_crc16_in->setText(QString::number(block.crc_received));
  Edit_crc16_vyp->setText(QString::number(block.crc_computed));
  QTextCharFormat normal;
  normal.setFontWeight(QFont::Normal);
  QTextCharFormat bold;
  bold.setFontWeight(QFont::Bold);
  QTextCursor cursor(RE_doklad->document());
  for (const TextRun& run : RenderCopyBlock(block.document))
    cursor.insertText(FromCp1250(run.text), run.bold ? bold : normal);
  RE_doklad->moveCursor(QTextCursor::Start);
  RE_doklad->ensureCursorVisible();
}

void TForm_copy::SetButtons(bool idle) {
  BitBtn_tlac->setEnabled(idle);
  BitBtn_copy_to_pc->setEnabled(idle && fetch_enabled_);
  BitBtn_zrus->setEnabled(!idle);
}

bool TForm_copy::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    if (watched == Edit_kdu)
      SelectEntry(static_cast<int>(CopyEntry::Daily));
    else if (watched == Edit_kdokladu || watched == Edit_kbldu || watched == Edit_crc16_in ||
             watched == Edit_crc16_vyp)
      SelectEntry(static_cast<int>(CopyEntry::Receipt));
  }
  return QDialog::eventFilter(watched, event);
}

void TForm_copy::reject() {
  if (waiting())
    BitBtn_zrusClick();
  else
    QDialog::reject();
}

void TForm_copy::closeEvent(QCloseEvent* event) {
  BitBtn_zrusClick();  // closing the window ends the wait as well
  QDialog::closeEvent(event);
}

void TForm_copy::done(int result) {
  BitBtn_zrusClick();
  if (services_.on_close) services_.on_close();
  QDialog::done(result);
}

}  // namespace kv
