#pragma once

#include <QDialog>
#include <ctime>
#include <functional>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace kv {

class MessageTable;
class OperatorBoxes;

struct MonthlyDialogServices {
  const MessageTable& messages;
  OperatorBoxes& boxes;
  std::function<std::tm()> local_time;
  // Writes the request to the printer without waiting for an answer; false when it did not go
  // out (the sender has told the operator why).
  std::function<bool(const std::string& bytes)> send;
};

// The monthly report dialog ("Form_mesacna"): a month and a year, and the monthly closing
// request they make. Modal; it closes only once the request has gone out (or when the operator
// closes it), and says which of the two happened.
class TForm_mesacna final : public QDialog {
  Q_OBJECT
 public:
  explicit TForm_mesacna(MonthlyDialogServices services, QWidget* parent = nullptr);

  // Shows the dialog modally. True when the closing request was sent, so the caller goes on
  // with the closing (and its debug line). Without a screen nothing is shown or sent: false.
  bool ShowModal();

  // BitBtn_tlacClick: a year that is not a number, or no month, is refused with its message
  // and the dialog stays open; nothing is sent.
  void BitBtn_tlacClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  MonthlyDialogServices services_;
  QComboBox* CB_mesiac;
  QLineEdit* Edit_rok;
  QPushButton* BitBtn_tlac;
};

}  // namespace kv
