#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "settings/user_access.h"

class QLineEdit;
class QPushButton;

namespace kv {

// The password dialog ("PasswordDlg") asked when the operator switches to the second or third
// user. It only collects the text; the user table compares it.
class TPasswordDlg final : public QDialog, public PasswordPrompt {
  Q_OBJECT
 public:
  static constexpr int kPasswordMaxLength = 9;  // the room of UserRecord::password

  explicit TPasswordDlg(QWidget* parent = nullptr);

  // Modal, with an empty field: the text on OK (cp1250), nothing on Cancel or Esc. Without a
  // screen nobody can type: nothing, at once.
  std::optional<std::string> AskPassword() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLineEdit* Password;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
};

}  // namespace kv
