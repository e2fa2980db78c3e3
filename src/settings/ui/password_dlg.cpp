#include "settings/ui/password_dlg.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "qt/quit_on_signal.h"
#include "lang/codepage.h"

namespace kv {

namespace {

bool NobodyToAsk() {
  const QString platform = QGuiApplication::platformName();
  return platform == "offscreen" || platform == "minimal" || TerminationRequested();
}

}  // namespace

TPasswordDlg::TPasswordDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint) {
  setObjectName("PasswordDlg");
  // The caption and the texts come from the language texts.
  setModal(true);

  auto* label = new QLabel(this);
  label->setObjectName("Label1");
  Password = new QLineEdit(this);
  Password->setObjectName("Password");
  Password->setEchoMode(QLineEdit::Password);
  Password->setMaxLength(kPasswordMaxLength);
  OKBtn = new QPushButton(this);
  OKBtn->setObjectName("OKBtn");
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(this);
  CancelBtn->setObjectName("CancelBtn");
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);  // Esc rejects as well

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(Password);
  layout->addLayout(buttons);
}

std::optional<std::string> TPasswordDlg::AskPassword() {
  if (NobodyToAsk()) return std::nullopt;
  if (exec() != QDialog::Accepted) return std::nullopt;
  return Utf8ToCp1250(Password->text().toStdString());
}

void TPasswordDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  Password->clear();
  Password->setFocus();
}

}  // namespace kv
