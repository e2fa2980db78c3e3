#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "base/config.h"
#include "qt/window_support.h"
#include "settings/setup_commands.h"
#include "settings/ui/dlg_cfg.h"

// The seven pages of the settings dialog. Captions, hints, page titles and the texts of list
// items come from the language texts; only signs ("...", "%", "+") and data are set here.

namespace kv {

namespace {

QLabel* Label(const char* name, const QString& text = {}) {
  auto* label = new QLabel(text);
  label->setObjectName(name);
  return label;
}

QLineEdit* Edit(const char* name, const QString& text = {}) {
  auto* edit = new QLineEdit(text);
  edit->setObjectName(name);
  return edit;
}

QComboBox* Combo(const char* name, const QStringList& items) {
  auto* combo = new QComboBox;
  combo->setObjectName(name);
  combo->addItems(items);
  return combo;
}

// A radio group: a group box whose buttons are its items, numbered from 0.
QGroupBox* RadioGroup(const char* name, const QStringList& items, QButtonGroup*& group) {
  auto* box = new QGroupBox;
  box->setObjectName(name);
  group = new QButtonGroup(box);
  auto* column = new QVBoxLayout(box);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i]);
    group->addButton(button, i);
    column->addWidget(button);
  }
  return box;
}

// A masked edit of the rounding page: one digit, a point and four digits.
QLineEdit* RoundingEdit(const char* name) {
  QLineEdit* edit = Edit(name);
  edit->setInputMask("9.9999;_");
  return edit;
}

}  // namespace

QPushButton* TDlg_cfg::Button(const char* name, const char* text) {
  auto* button = new QPushButton(QString::fromUtf8(text));
  button->setObjectName(name);
  button->setAutoDefault(false);  // Enter in an edit presses nothing by itself
  return button;
}

QCheckBox* TDlg_cfg::Switch(const char* name, SettingsSwitch which) {
  auto* box = new QCheckBox;
  box->setObjectName(name);
  connect(box, &QCheckBox::clicked, this,
          [this, which](bool on) { session_.SwitchClick(which, on); });
  return box;
}

QLineEdit* TDlg_cfg::PathEdit(const char* name, void (SettingsSession::*left)(const std::string&)) {
  QLineEdit* edit = Edit(name);
  connect(edit, &QLineEdit::editingFinished, this,
          [this, edit, left] { (session_.*left)(ToCp1250(edit->text())); });
  return edit;
}

QWidget* TDlg_cfg::BuildMainPage() {
  auto* page = new QWidget;
  page->setObjectName("RB2900");
  auto* grid = new QGridLayout(page);
  auto file_row = [&](int row, QLabel* label, QLineEdit* edit, const char* button_name,
                      FileChoice choice) {
    QPushButton* button = Button(button_name, "...");
    connect(button, &QPushButton::clicked, this, [this, choice] { ChooseFile(choice); });
    grid->addWidget(label, row, 0, 1, 3);
    grid->addWidget(edit, row + 1, 0, 1, 2);
    grid->addWidget(button, row + 1, 2);
  };
  file_row(0, Label("Label1"), PathEdit("Edit_in", &SettingsSession::Edit_inExit), "Btn_in",
           FileChoice::InputFile);
  file_row(2, Label("Label2"), PathEdit("Edit_out", &SettingsSession::Edit_outExit), "Btn_out",
           FileChoice::Journal);
  Edit_info = Edit("Edit_info");
  file_row(4, Label("Label27"), Edit_info, "Btn_info", FileChoice::InfoDir);

  auto* switches = new QGridLayout;
  CB_euro_zmena = new QCheckBox;
  CB_euro_zmena->setObjectName("CB_euro_zmena");
  QCheckBox* ChBox_err = Switch("ChBox_err", SettingsSwitch::ErrorFile);
  ChBox_err->setEnabled(false);  // the error file is on at every start
  CB_MSG = new QCheckBox;
  CB_MSG->setObjectName("CB_MSG");
  CB_synchrcas = new QCheckBox;
  CB_synchrcas->setObjectName("CB_synchrcas");
  QCheckBox* CB_del = Switch("CB_del", SettingsSwitch::DeleteOnFailure);
  QWidget* boxes[] = {CB_del,
                      CB_euro_zmena,
                      ChBox_err,
                      Switch("ChBox_copy", SettingsSwitch::ReceiptCopies),
                      Switch("ChBox_ladenie", SettingsSwitch::DebugCopies),
                      CB_MSG,
                      CB_synchrcas};
  for (int i = 0; i < 7; ++i) switches->addWidget(boxes[i], i / 4, i % 4);
  grid->addLayout(switches, 6, 0, 1, 3);

  QStringList drawers;
  for (const char* name : kDrawerNames) drawers << name;
  otvor = Combo("otvor", drawers);
  QPushButton* Btn_open = Button("Btn_open");
  connect(Btn_open, &QPushButton::clicked, this,
          [this] { session_.device().Btn_openClick(otvor->currentIndex()); });
  grid->addWidget(Label("Label_otvor"), 7, 0);
  grid->addWidget(otvor, 7, 1);
  grid->addWidget(Btn_open, 7, 2);

  QComboBox* CB_porty = Combo("CB_porty", {});
  CB_porty->setPlaceholderText("COM x ");
  connect(CB_porty, &QComboBox::activated, this, [this](int i) { session_.CB_portyChange(i); });
  QPushButton* Btn_find = Button("Btn_find");
  connect(Btn_find, &QPushButton::clicked, this, [this] { session_.Btn_findClick(); });
  grid->addWidget(Label("Label_port"), 8, 0);
  grid->addWidget(CB_porty, 8, 1);
  grid->addWidget(Btn_find, 8, 2);

  grid->addWidget(BuildUsers(), 9, 0, 1, 3);
  OKBtn = Button("OKBtn");
  connect(OKBtn, &QPushButton::clicked, this, &TDlg_cfg::OKBtnClick);
  grid->addWidget(OKBtn, 10, 2);
  return page;
}

QWidget* TDlg_cfg::BuildUsers() {
  auto* users = new QWidget;
  auto* row = new QHBoxLayout(users);
  row->setContentsMargins(0, 0, 0, 0);
  auto* left = new QVBoxLayout;
  CB_user = Combo("CB_user", {"User1", "User2", "User3"});
  CB_user->setEditable(true);
  CB_user->setInsertPolicy(QComboBox::NoInsert);
  CB_user->lineEdit()->setMaxLength(19);
  connect(CB_user, &QComboBox::activated, this, [this](int i) { session_.CB_userClick(i); });
  connect(CB_user->lineEdit(), &QLineEdit::textEdited, this,
          [this](const QString& name) { session_.CB_userChange(ToCp1250(name)); });
  connect(CB_user->lineEdit(), &QLineEdit::editingFinished, this, &TDlg_cfg::UserLeft);
  Edit_pwd = Edit("Edit_pwd", "password");
  Edit_pwd->installEventFilter(this);  // entering it empties it (Edit_pwdEnter)
  connect(Edit_pwd, &QLineEdit::editingFinished, this, [this] {
    session_.Edit_pwdExit(ToCp1250(Edit_pwd->text()), Edit_pwd->isModified());
    Edit_pwd->setModified(false);
  });
  left->addWidget(CB_user);
  left->addWidget(Edit_pwd);
  left->addStretch();
  row->addLayout(left);

  auto* GroupBox1 = new QGroupBox;  // titled with the user's name when shown
  GroupBox1->setObjectName("GroupBox1");
  auto* rights = new QGridLayout(GroupBox1);
  for (size_t i = 0; i < kRights.size(); ++i) {
    auto* box = new QCheckBox;
    box->setObjectName(kRights[i].check_box);
    const int index = kRights[i].index;
    connect(box, &QCheckBox::clicked, this,
            [this, index](bool on) { session_.RightClick(index, on); });
    rights->addWidget(box, static_cast<int>(i) / 5, static_cast<int>(i) % 5);
  }
  row->addWidget(GroupBox1, 1);
  return users;
}

QWidget* TDlg_cfg::BuildVatPage() {
  auto* page = new QWidget;
  page->setObjectName("RB3900");
  auto* grid = new QGridLayout(page);
  for (int i = 0; i < 5; ++i) {
    const std::string n = std::to_string(i + 1);
    QLineEdit* edit = Edit(("Edit_dph" + n).c_str(), "0");
    edit->setMaxLength(kVatEditMaxLength);
    edit->installEventFilter(new KeyFilter(VatKeyAccepted, edit));
    dph_edits_[static_cast<size_t>(i)] = edit;
    grid->addWidget(Label(("Label_dph" + n).c_str()), i, 0);
    grid->addWidget(edit, i, 1);
    grid->addWidget(Label(("Label_pct" + n).c_str(), "%"), i, 2);
  }
  QPushButton* BitBtn_naplndph = Button("BitBtn_naplndph");
  connect(BitBtn_naplndph, &QPushButton::clicked, this, [this] {
    std::array<std::string, 5> edits;
    for (size_t i = 0; i < edits.size(); ++i) edits[i] = ToCp1250(dph_edits_[i]->text());
    session_.device().BitBtn_naplndphClick(edits);
  });
  grid->addWidget(BitBtn_naplndph, 5, 1);
  grid->setRowStretch(6, 1);
  return page;
}

QWidget* TDlg_cfg::BuildExpertPage() {
  auto* page = new QWidget;
  page->setObjectName("TabSheet1");
  auto* grid = new QGridLayout(page);
  const char* edits[] = {"Edit_caswrite",  "Edit_caswritem",    "Edit_readtotal",
                         "Edit_readmulti", "Edit_readinterval", "Edit_casinfo"};
  const char* labels[] = {"Label8", "Label9", "Label10", "Label11", "Label12", "Label28"};
  for (size_t i = 0; i < expert_edits_.size(); ++i) {
    expert_edits_[i] = Edit(edits[i]);
    const auto which = static_cast<ExpertEdit>(i);
    connect(expert_edits_[i], &QLineEdit::returnPressed, this,
            [this, which] { ExpertEditLeft(which); });
    expert_edits_[i]->installEventFilter(this);  // leaving: TDlg_cfg::eventFilter
    grid->addWidget(Label(labels[i]), static_cast<int>(i), 0);
    grid->addWidget(expert_edits_[i], static_cast<int>(i), 1);
  }
  Edit_opozdenie = Edit("Edit_opozdenie");
  Edit_delay_file = Edit("Edit_delay_file");
  grid->addWidget(Label("Label29"), 6, 0);
  grid->addWidget(Edit_opozdenie, 6, 1);
  grid->addWidget(Label("Label41"), 7, 0);
  grid->addWidget(Edit_delay_file, 7, 1);

  QComboBox* CB_baud = Combo("CB_baud", {"9600", "57600", "115200"});
  connect(CB_baud, &QComboBox::activated, this, [this](int i) { session_.CB_baudClick(i); });
  QComboBox* CB_jazyk = Combo("CB_jazyk", {});
  connect(CB_jazyk, &QComboBox::activated, this, [this](int i) {
    session_.CB_jazykClick(i);
    update();
  });
  grid->addWidget(Label("Label_baud"), 0, 2);
  grid->addWidget(CB_baud, 0, 3);
  grid->addWidget(Label("Label19"), 1, 2);
  grid->addWidget(CB_jazyk, 1, 3);
  CheckBox_dtrdsr = new QCheckBox;
  CheckBox_dtrdsr->setObjectName("CheckBox_dtrdsr");
  CheckBox_rtscts = new QCheckBox;
  CheckBox_rtscts->setObjectName("CheckBox_rtscts");
  QCheckBox* CB_auto_du = Switch("CB_auto_du", SettingsSwitch::AutoDailyClose);
  QWidget* switches[] = {Switch("CB_close_port", SettingsSwitch::ReleasePort), CheckBox_dtrdsr,
                         CheckBox_rtscts, CB_auto_du, Switch("CB_ukonci", SettingsSwitch::MayQuit)};
  for (int i = 0; i < 5; ++i) grid->addWidget(switches[i], 2 + i, 2, 1, 2);
  grid->addWidget(RadioGroup("RG_priority", {{}, {}, {}}, priorities_), 8, 0, 3, 2);

  QPushButton* Btn_default_time = Button("Btn_default_time");
  connect(Btn_default_time, &QPushButton::clicked, this,
          [this] { session_.Btn_default_timeClick(); });
  QPushButton* Btn_close_com = Button("Btn_close_com");
  connect(Btn_close_com, &QPushButton::clicked, this, [this] { session_.Btn_close_comClick(); });
  QPushButton* Btn_vymaz = Button("Btn_vymaz");
  connect(Btn_vymaz, &QPushButton::clicked, this, [this] { session_.device().Btn_vymazClick(); });
  QPushButton* Btn_test = Button("Btn_test");
  connect(Btn_test, &QPushButton::clicked, this, [this] { session_.device().Btn_testClick(); });
  QPushButton* buttons[] = {Btn_default_time, Btn_close_com, Btn_vymaz, Btn_test};
  for (int i = 0; i < 4; ++i) grid->addWidget(buttons[i], 7 + i, 2, 1, 2);
  return page;
}

QWidget* TDlg_cfg::BuildMessagesPage() {
  auto* page = new QWidget;
  page->setObjectName("Spravy");
  auto* grid = new QGridLayout(page);
  CheckBox_spravy = new QCheckBox;
  CheckBox_spravy->setObjectName("CheckBox_spravy");
  Edit_idprmgr = Edit("Edit_idprmgr", "KV4910");
  Edit_idaplikacia = Edit("Edit_idaplikacia", "KV4910S");
  QPushButton* Btn_registruj = Button("Btn_registruj");
  connect(Btn_registruj, &QPushButton::clicked, this, [this] {
    session_.Btn_registrujClick(CheckBox_spravy->isChecked(), ToCp1250(Edit_idprmgr->text()));
  });
  grid->addWidget(CheckBox_spravy, 0, 0, 1, 3);
  grid->addWidget(Label("Label22"), 1, 0);
  grid->addWidget(Edit_idprmgr, 1, 1);
  grid->addWidget(Btn_registruj, 1, 2);
  grid->addWidget(Label("Label23"), 2, 0);
  grid->addWidget(Edit_idaplikacia, 2, 1);

  // The list of notification entries is kept but not shown: its entries are saved as they are.
  ListBox_subory = new QListWidget;
  ListBox_subory->setObjectName("ListBox_subory");
  QLineEdit* Edit_subor = Edit("Edit_subor");
  QLineEdit* Edit_sprava = Edit("Edit_sprava", "3");
  auto* UpDown1 = new QSpinBox;
  UpDown1->setObjectName("UpDown1");
  UpDown1->setRange(3, 200);
  QPushButton* Btn_pridaj_msg = Button("Btn_pridaj_msg", "+");
  QPushButton* Btn_zmaz_msg = Button("Btn_zmaz_msg", "-");
  connect(UpDown1, &QSpinBox::valueChanged, Edit_sprava,
          [Edit_sprava](int n) { Edit_sprava->setText(QString::number(n)); });
  connect(Btn_pridaj_msg, &QPushButton::clicked, this, [this, UpDown1, Edit_subor] {
    if (ListBox_subory->count() >= 20 || Edit_subor->text().isEmpty()) return;
    const NotifyEntry entry{ToCp1250(Edit_subor->text()), UpDown1->value()};
    ListBox_subory->addItem(FromCp1250(ShowNotifyEntry(entry)));
  });
  connect(Btn_zmaz_msg, &QPushButton::clicked, this,
          [this] { delete ListBox_subory->takeItem(ListBox_subory->currentRow()); });
  for (QWidget* hidden : std::initializer_list<QWidget*>{ListBox_subory, Edit_subor, Edit_sprava,
                                                         UpDown1, Btn_pridaj_msg, Btn_zmaz_msg}) {
    hidden->setVisible(false);
    grid->addWidget(hidden, 3, 0);
  }
  grid->setRowStretch(4, 1);
  return page;
}

QWidget* TDlg_cfg::BuildBackupPage() {
  auto* page = new QWidget;
  page->setObjectName("TabSheet2");
  auto* grid = new QGridLayout(page);
  grid->addWidget(Label("Label26"), 0, 0, 1, 2);
  auto backup_row = [&](int row, const char* edit_name, const char* button_name,
                        void (SettingsSession::*left)(const std::string&), FileChoice choice) {
    QPushButton* button = Button(button_name, "...");
    connect(button, &QPushButton::clicked, this, [this, choice] { ChooseFile(choice); });
    grid->addWidget(PathEdit(edit_name, left), row, 0);
    grid->addWidget(button, row, 1);
  };
  backup_row(1, "Edit_zaloha1", "BitBtn_zaloha1", &SettingsSession::Edit_zaloha1Exit,
             FileChoice::Backup1);
  backup_row(2, "Edit_zaloha2", "BitBtn_zaloha2", &SettingsSession::Edit_zaloha2Exit,
             FileChoice::Backup2);
  QButtonGroup* modes = nullptr;
  grid->addWidget(RadioGroup("RadioGroup1", {{}, {}}, modes), 3, 0, 1, 2);
  connect(modes, &QButtonGroup::idClicked, this, [this](int i) { session_.RadioGroup1Click(i); });
  grid->setRowStretch(4, 1);
  return page;
}

QWidget* TDlg_cfg::BuildRoundingPage() {
  auto* page = new QWidget;
  page->setObjectName("Zaokruhli");
  auto* column = new QVBoxLayout(page);
  const char* groups[] = {"GroupBox_dph", "GroupBox_suma", "GroupBox_informacna"};
  const char* edits[] = {"Edit_dph_koef",  "Edit_dph_plus",        "Edit_suma_koef",
                         "Edit_suma_plus", "Edit_informacna_koef", "Edit_informacna_plus"};
  const char* labels[] = {"Label30", "Label31", "Label32", "Label33", "Label34", "Label35"};
  for (size_t g = 0; g < 3; ++g) {
    auto* group = new QGroupBox;
    group->setObjectName(groups[g]);
    auto* grid = new QGridLayout(group);
    for (size_t k = 0; k < 2; ++k) {
      const size_t i = 2 * g + k;
      rounding_edits_[i] = RoundingEdit(edits[i]);
      grid->addWidget(Label(labels[i]), static_cast<int>(k), 0);
      grid->addWidget(rounding_edits_[i], static_cast<int>(k), 1);
    }
    column->addWidget(group);
  }
  QPushButton* Btn_zaokruhlenie = Button("Btn_zaokruhlenie");
  connect(Btn_zaokruhlenie, &QPushButton::clicked, this, [this] {
    std::array<std::string, 6> edits;
    for (size_t i = 0; i < edits.size(); ++i) edits[i] = ToCp1250(rounding_edits_[i]->text());
    session_.device().Btn_zaokruhlenieClick(edits);
  });
  column->addWidget(Btn_zaokruhlenie, 0, Qt::AlignRight);
  column->addStretch();
  return page;
}

QWidget* TDlg_cfg::BuildTillPage() {
  auto* page = new QWidget;
  page->setObjectName("Pokladna");
  auto* grid = new QGridLayout(page);
  Edit_pokladna = Edit("Edit_pokladna");
  QPushButton* BitBtn_cennik = Button("BitBtn_cennik", "...");
  connect(BitBtn_cennik, &QPushButton::clicked, this,
          [this] { ChooseFile(FileChoice::PriceList); });
  ChBox_pokladna = new QCheckBox;
  ChBox_pokladna->setObjectName("ChBox_pokladna");
  ChBox_platidla = new QCheckBox;
  ChBox_platidla->setObjectName("ChBox_platidla");
  grid->addWidget(Label("Label37"), 0, 0, 1, 2);
  grid->addWidget(Edit_pokladna, 1, 0);
  grid->addWidget(BitBtn_cennik, 1, 1);
  grid->addWidget(ChBox_pokladna, 2, 0, 1, 2);
  grid->addWidget(ChBox_platidla, 3, 0, 1, 2);

  auto* GroupBox2 = new QGroupBox;
  GroupBox2->setObjectName("GroupBox2");
  auto* tenders = new QGridLayout(GroupBox2);
  for (size_t i = 0; i < tender_edits_.size(); ++i) {
    const std::string n = std::to_string(i);
    tender_edits_[i] = Edit(("Edit_plat" + n).c_str());
    tender_edits_[i]->setMaxLength(31);  // the room of a tender name
    const int row = static_cast<int>(i % 5);
    const int column = static_cast<int>(i / 5) * 2;
    tenders->addWidget(Label(("Label_plat" + n).c_str(), QString::number(i + 1) + "."), row,
                       column);
    tenders->addWidget(tender_edits_[i], row, column + 1);
  }
  grid->addWidget(GroupBox2, 4, 0, 1, 2);
  grid->setRowStretch(5, 1);
  return page;
}

}  // namespace kv
