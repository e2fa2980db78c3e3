#include "register/ui/payment_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/config.h"
#include "register/ui/field_events.h"
#include "register/ui/named_controls.h"

namespace kv {

namespace {

// Where the window goes relative to the sale screen, and its size.
constexpr QPoint kOffset(390, 355);
constexpr QSize kSize(408, 218);

constexpr int kAmountLength = 13;

}  // namespace

TForm_platba::TForm_platba(PaymentCalc& calc, const Config& cfg, QWidget* parent)
    : QDialog(parent), calc_(calc), cfg_(cfg) {
  setObjectName("Form_platba");
  setModal(true);

  auto* layout = new QVBoxLayout(this);
  auto* cash = new QHBoxLayout;
  cash->addWidget(NamedLabel("Label1", this));
  edit_hotovost_ = NamedEdit("Edit_hotovost", kAmountLength, this);
  cash->addWidget(edit_hotovost_);
  bitbtn_ok_ = NamedButton("BitBtn_ok", this);
  cash->addWidget(bitbtn_ok_);
  layout->addLayout(cash);

  auto* group = new QGroupBox(this);
  group->setObjectName("GroupBox1");
  auto* other = new QGridLayout(group);
  other->addWidget(NamedLabel("Label2", group), 0, 0, 1, 2);
  cb_platidlo_ = new QComboBox(group);
  cb_platidlo_->setObjectName("CB_platidlo");
  // The tenders' names come from the settings when the window comes up.
  other->addWidget(cb_platidlo_, 1, 0);
  edit_platidlo_ = NamedEdit("Edit_platidlo", kAmountLength, group);
  other->addWidget(edit_platidlo_, 1, 1);
  layout->addWidget(group);

  for (QLineEdit* edit : {edit_hotovost_, edit_platidlo_}) {
    FieldEvents& events = FieldEvents::Watch(edit);
    events.key_rule = PaymentAmountKey;
    events.on_return = [this] { bitbtn_ok_->setFocus(); };
  }
  connect(cb_platidlo_, &QComboBox::activated, this, &TForm_platba::CB_platidloExit);
  FieldEvents::Watch(cb_platidlo_).on_focus_out = [this] { CB_platidloExit(); };
  connect(bitbtn_ok_, &QPushButton::clicked, this, &TForm_platba::BitBtn_okClick);
}

void TForm_platba::Open(int64_t total_cents, QPoint sale_screen, Done done) {
  if (isVisible()) return;
  done_ = std::move(done);
  FormShow(total_cents);
  move(sale_screen + kOffset);
  resize(kSize);
  show();
  raise();
  activateWindow();
  edit_hotovost_->setFocus();
}

void TForm_platba::FormShow(int64_t total_cents) {
  calc_.FormShow(total_cents);
  const auto names = PaymentCalc::TenderNames(cfg_.plat);
  cb_platidlo_->clear();
  for (const std::string& name : names) cb_platidlo_->addItem(FromCp1250(name));
  cb_platidlo_->setCurrentIndex(calc_.TenderIndex());
  edit_platidlo_->setEnabled(calc_.OtherAmountEnabled());
  edit_hotovost_->setText(FromCp1250(calc_.CashText()));
  edit_hotovost_->setPalette(QPalette());  // the system's window-text colour
  edit_platidlo_->clear();
  setWindowTitle(FromCp1250(calc_.Caption()));
}

void TForm_platba::CB_platidloExit() {
  calc_.ChooseTender(cb_platidlo_->currentIndex());
  edit_platidlo_->setEnabled(calc_.OtherAmountEnabled());
  if (!calc_.OtherAmountEnabled()) edit_platidlo_->clear();
}

void TForm_platba::BitBtn_okClick() {
  // The tender shown in the list is the one the amount belongs to, however it was chosen.
  CB_platidloExit();
  if (calc_.BitBtn_okClick(ToCp1250(edit_hotovost_->text()), ToCp1250(edit_platidlo_->text()))) {
    accept();
    return;
  }
  setWindowTitle(FromCp1250(calc_.Caption()));
  // The field that is no amount keeps the focus; a short payment goes back to the cash.
  if (calc_.BadField() == PaymentCalc::Field::Other)
    edit_platidlo_->setFocus();
  else
    edit_hotovost_->setFocus();
}

void TForm_platba::done(int result) {
  QDialog::done(result);
  Done callback = std::move(done_);
  done_ = nullptr;
  if (!callback) return;
  if (result == QDialog::Accepted && calc_.Accepted())
    callback(calc_.Result());
  else
    callback(std::nullopt);
}

}  // namespace kv
