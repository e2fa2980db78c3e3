#include "settings/ui/dlg_cfg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "lang/message_table.h"
#include "qt/window_support.h"
#include "settings/settings_messages.h"
#include "settings/setup_commands.h"

namespace kv {

namespace {

constexpr int kExpertPage = 2;

}  // namespace

TDlg_cfg::TDlg_cfg(SettingsSession& session, const MessageTable& messages, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      session_(session),
      messages_(messages) {
  setObjectName("Dlg_cfg");
  setModal(true);

  PageControl1 = new QTabWidget;
  PageControl1->setObjectName("PageControl1");
  PageControl1->setTabPosition(QTabWidget::East);
  PageControl1->tabBar()->setUsesScrollButtons(false);  // every page's tab stays in sight
  // Every caption, hint and page title comes from the language texts.
  for (QWidget* page : {BuildMainPage(), BuildVatPage(), BuildExpertPage(), BuildMessagesPage(),
                        BuildBackupPage(), BuildRoundingPage(), BuildTillPage()})
    PageControl1->addTab(page, QString());
  PageControl1->setVisible(false);
  connect(PageControl1, &QTabWidget::currentChanged, this,
          [this](int page) { session_.PageShown(page); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildLockPanel());
  layout->addWidget(PageControl1);
}

QWidget* TDlg_cfg::BuildLockPanel() {
  Panel_heslo = new QWidget;
  Panel_heslo->setObjectName("Panel_heslo");
  auto* grid = new QGridLayout(Panel_heslo);
  Label3 = new QLabel;
  Label3->setObjectName("Label3");
  Edit_heslo = new QLineEdit;
  Edit_heslo->setObjectName("Edit_heslo");
  Edit_heslo->setEchoMode(QLineEdit::Password);
  // Enter in the field presses the default button Btn_psw_yes.
  Btn_psw_yes = Button("Btn_psw_yes");
  connect(Btn_psw_yes, &QPushButton::clicked, this, &TDlg_cfg::CheckServicePassword);
  QPushButton* Btn_psw_koniec = Button("Btn_psw_koniec");
  connect(Btn_psw_koniec, &QPushButton::clicked, this, &TDlg_cfg::reject);
  QPushButton* Button1 = Button("Button1");
  Button1->setVisible(false);
  grid->addWidget(Label3, 0, 0, 1, 2);
  grid->addWidget(Edit_heslo, 1, 0, 1, 2);
  grid->addWidget(Btn_psw_yes, 2, 0);
  grid->addWidget(Btn_psw_koniec, 2, 1);
  grid->addWidget(Button1, 3, 0);

  auto* GroupBox_euro = new QGroupBox;
  GroupBox_euro->setObjectName("GroupBox_euro");
  auto* currencies = new QGridLayout(GroupBox_euro);
  CB_aktivna = new QComboBox;
  CB_aktivna->setObjectName("CB_aktivna");
  for (const char* code : kActiveCurrencies) CB_aktivna->addItem(code);
  CB_dualna = new QComboBox;
  CB_dualna->setObjectName("CB_dualna");
  for (const char* code : kDualCurrencies) CB_dualna->addItem(code);
  MaskEdit_eurokurz = new QLineEdit;
  MaskEdit_eurokurz->setObjectName("MaskEdit_eurokurz");
  MaskEdit_eurokurz->setInputMask("99.9999;_");  // every digit required
  QPushButton* Btn_napln = Button("Btn_napln");
  connect(Btn_napln, &QPushButton::clicked, this, [this] {
    session_.device().Btn_naplnClick(CB_aktivna->currentIndex(), CB_dualna->currentIndex(),
                                     ToCp1250(MaskEdit_eurokurz->text()));
  });
  QLabel* labels[] = {new QLabel, new QLabel, new QLabel};
  const char* label_names[] = {"Label51", "Label52", "Label40"};
  QWidget* fields[] = {CB_aktivna, CB_dualna, MaskEdit_eurokurz};
  for (int i = 0; i < 3; ++i) {
    labels[i]->setObjectName(label_names[i]);
    currencies->addWidget(labels[i], i, 0);
    currencies->addWidget(fields[i], i, 1);
  }
  currencies->addWidget(Btn_napln, 3, 1);
  grid->addWidget(GroupBox_euro, 4, 0, 1, 2);
  grid->setRowStretch(5, 1);
  return Panel_heslo;
}

bool TDlg_cfg::Activate() {
  if (!session_.Open()) return false;
  PageControl1->setEnabled(true);
  OKBtn->setEnabled(true);
  Btn_psw_yes->setDefault(true);
  Edit_heslo->setFocus();
  return true;
}

void TDlg_cfg::ShowModal() {
  // Without a screen nobody can unlock it: it is not opened and changes nothing.
  if (NoScreen() || isVisible()) return;
  if (Activate()) exec();
}

void TDlg_cfg::done(int result) {
  QDialog::done(result);
  session_.FormClose();
  if (on_closed) on_closed();
}

void TDlg_cfg::reject() {
  if (session_.MayCloseWithoutSaving()) done(QDialog::Rejected);
}

void TDlg_cfg::closeEvent(QCloseEvent* event) {
  if (!session_.MayCloseWithoutSaving()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

bool TDlg_cfg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Edit_pwd && event->type() == QEvent::FocusIn) session_.Edit_pwdEnter();
  // Every leaving of an Expert time edit is checked, also when its text did not change since
  // the last leaving (editingFinished is not emitted then), so it cannot be left empty.
  if (event->type() == QEvent::FocusOut) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    const bool leaves = reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
    for (size_t i = 0; i < expert_edits_.size() && leaves && isVisible(); ++i)
      if (watched == expert_edits_[i]) ExpertEditLeft(static_cast<ExpertEdit>(i));
  }
  return QDialog::eventFilter(watched, event);
}

void TDlg_cfg::CheckServicePassword() {
  if (session_.CheckServicePassword(ToCp1250(Edit_heslo->text()))) {
    Btn_psw_yes->setDefault(false);
    PageControl1->setFocus();
  } else {
    Edit_heslo->setFocus();
  }
}

SavedControls TDlg_cfg::Saved() const {
  SavedControls c;
  c.info_dir = ToCp1250(Edit_info->text());
  c.currency_usable = CB_euro_zmena->isChecked();
  c.operator_messages = CB_MSG->isChecked();
  c.set_clock = CB_synchrcas->isChecked();
  c.drawer_row = otvor->currentIndex();
  for (size_t i = 0; i < c.port_timeouts.size(); ++i)
    c.port_timeouts[i] = ToCp1250(expert_edits_[i]->text());
  c.info_time = ToCp1250(expert_edits_[static_cast<size_t>(ExpertEdit::InfoTime)]->text());
  c.startup_delay = ToCp1250(Edit_opozdenie->text());
  c.polling_period = ToCp1250(Edit_delay_file->text());
  c.dtr_dsr = CheckBox_dtrdsr->isChecked();
  c.rts_cts = CheckBox_rtscts->isChecked();
  c.priority_choice = priorities_->checkedId();
  c.messaging = CheckBox_spravy->isChecked();
  c.message_name = ToCp1250(Edit_idprmgr->text());
  c.application_title = ToCp1250(Edit_idaplikacia->text());
  for (int i = 0; i < ListBox_subory->count(); ++i)
    c.message_files.push_back(ToCp1250(ListBox_subory->item(i)->text()));
  c.price_list = ToCp1250(Edit_pokladna->text());
  c.till_at_start = ChBox_pokladna->isChecked();
  c.tenders_offered = ChBox_platidla->isChecked();
  for (size_t i = 0; i < c.tenders.size(); ++i) c.tenders[i] = ToCp1250(tender_edits_[i]->text());
  return c;
}

void TDlg_cfg::OKBtnClick() {
  const QString caption = windowTitle();
  PageControl1->setEnabled(false);
  OKBtn->setEnabled(false);
  setWindowTitle(FromCp1250(messages_.Text(146)));
  const bool saved = session_.OKBtnClick(Saved());
  OKBtn->setEnabled(true);
  setWindowTitle(caption);
  PageControl1->setEnabled(true);
  if (saved) accept();
}

void TDlg_cfg::ChooseFile(FileChoice which) {
  const FileDialogSetup setup = session_.FileDialogFor(which);
  std::optional<std::string> chosen;
  if (!NoScreen()) {
    const std::string title =
        setup.title.empty() ? messages_.Text(kMsgFileDialogTitle) : setup.title;
    QFileDialog dialog(this, FromCp1250(title), {}, FromCp1250(setup.filter));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.selectFile(FromCp1250(setup.file_name));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      chosen = ToCp1250(dialog.selectedFiles().front());
  }
  session_.FileChosen(which, chosen);
}

void TDlg_cfg::ExpertEditLeft(ExpertEdit which) {
  QLineEdit* edit = expert_edits_[static_cast<size_t>(which)];
  if (session_.ExpertEditExit(which, ToCp1250(edit->text()))) return;
  // Not a number: the edit cannot be left until it holds one.
  PageControl1->setCurrentIndex(kExpertPage);
  QTimer::singleShot(0, edit, [edit] { edit->setFocus(); });
}

void TDlg_cfg::UserLeft() {
  session_.CB_userClick(CB_user->currentIndex());
}

}  // namespace kv
