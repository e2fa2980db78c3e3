#include "reports/ui/form_mesacna.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "base/operator_boxes.h"
#include "lang/message_table.h"
#include "reports/monthly_request.h"
#include "qt/window_support.h"

namespace kv {

TForm_mesacna::TForm_mesacna(MonthlyDialogServices services, QWidget* parent)
    : QDialog(parent), services_(std::move(services)) {
  setObjectName("Form_mesacna");
  // Captions and the month names come from the language texts.

  CB_mesiac = new QComboBox(this);
  CB_mesiac->setObjectName("CB_mesiac");
  for (int month = 0; month < 12; ++month) CB_mesiac->addItem(QString());
  Edit_rok = new QLineEdit("2009", this);
  Edit_rok->setObjectName("Edit_rok");
  Edit_rok->setMaxLength(kYearMaxLength);
  Edit_rok->installEventFilter(new KeyFilter(YearKeyAccepted, Edit_rok));
  BitBtn_tlac = new QPushButton(this);
  BitBtn_tlac->setObjectName("BitBtn_tlac");
  BitBtn_tlac->setDefault(true);
  connect(BitBtn_tlac, &QPushButton::clicked, this, &TForm_mesacna::BitBtn_tlacClick);

  auto* month_label = new QLabel(this);
  month_label->setObjectName("Label1");
  auto* year_label = new QLabel(this);
  year_label->setObjectName("Label2");
  auto* fields = new QFormLayout;
  fields->addRow(month_label, CB_mesiac);
  fields->addRow(year_label, Edit_rok);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(BitBtn_tlac, 0, Qt::AlignRight);
}

bool TForm_mesacna::ShowModal() {
  if (NoScreen()) return false;
  return exec() == QDialog::Accepted;
}

void TForm_mesacna::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  const std::tm today = services_.local_time();
  const MonthChoice choice = PreselectedMonth(today.tm_year + 1900, today.tm_mon + 1);
  CB_mesiac->setCurrentIndex(choice.position);
  Edit_rok->setText(QString::number(choice.year));
}

void TForm_mesacna::BitBtn_tlacClick() {
  const MonthlyRequest request =
      BuildMonthlyRequest(ToCp1250(Edit_rok->text()), CB_mesiac->currentIndex());
  if (request.bytes.empty()) {
    services_.boxes.App(services_.messages.Text(request.message), BoxButtons::Ok, BoxIcon::Warning);
    return;
  }
  if (services_.send && services_.send(request.bytes)) accept();
}

}  // namespace kv
