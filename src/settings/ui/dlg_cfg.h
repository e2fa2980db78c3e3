#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "settings/settings_session.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QWidget;

namespace kv {

class MessageTable;

// The settings dialog ("Dlg_cfg"): the lock panel with the currency group, and the seven pages.
// It holds the widgets and forwards every event to the SettingsSession with the controls'
// values; what it shows comes back through the View by the controls' names.
class TDlg_cfg final : public QDialog {
  Q_OBJECT
 public:
  TDlg_cfg(SettingsSession& session, const MessageTable& messages, QWidget* parent = nullptr);

  // The dialog comes up (FormActivate, FormShow) without waiting for it to close: false when it
  // is shown already or another exchange holds the printer.
  bool Activate();
  // Activate, then modal until it closes.
  void ShowModal();

  // Called after the dialog has closed (the tray's menu item is usable again).
  std::function<void()> on_closed;

  // Every way the dialog closes: FormClose.
  void done(int result) override;
  // Esc and Btn_psw_koniec: only while locked; once unlocked the dialog closes by saving.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // dlg_cfg_lock.cpp
  QWidget* BuildLockPanel();
  void CheckServicePassword();
  void OKBtnClick();
  SavedControls Saved() const;
  void ChooseFile(FileChoice which);
  void ExpertEditLeft(ExpertEdit which);
  void UserLeft();
  // dlg_cfg_pages.cpp: the seven pages.
  QWidget* BuildMainPage();
  QWidget* BuildUsers();
  QWidget* BuildVatPage();
  QWidget* BuildExpertPage();
  QWidget* BuildMessagesPage();
  QWidget* BuildBackupPage();
  QWidget* BuildRoundingPage();
  QWidget* BuildTillPage();
  QPushButton* Button(const char* name, const char* text = "");
  QCheckBox* Switch(const char* name, SettingsSwitch which);
  QLineEdit* PathEdit(const char* name, void (SettingsSession::*left)(const std::string&));

  SettingsSession& session_;
  const MessageTable& messages_;

  QWidget* Panel_heslo;
  QLabel* Label3;
  QLineEdit* Edit_heslo;
  QPushButton* Btn_psw_yes;
  QComboBox* CB_aktivna;
  QComboBox* CB_dualna;
  QLineEdit* MaskEdit_eurokurz;
  QTabWidget* PageControl1;
  QPushButton* OKBtn;

  QLineEdit* Edit_info;
  QCheckBox* CB_euro_zmena;
  QCheckBox* CB_MSG;
  QCheckBox* CB_synchrcas;
  QComboBox* otvor;
  QComboBox* CB_user;
  QLineEdit* Edit_pwd;

  std::array<QLineEdit*, 5> dph_edits_;
  std::array<QLineEdit*, 6> expert_edits_;  // in the order of ExpertEdit
  QLineEdit* Edit_opozdenie;
  QLineEdit* Edit_delay_file;
  QCheckBox* CheckBox_dtrdsr;
  QCheckBox* CheckBox_rtscts;
  QButtonGroup* priorities_;

  QCheckBox* CheckBox_spravy;
  QLineEdit* Edit_idprmgr;
  QLineEdit* Edit_idaplikacia;
  QListWidget* ListBox_subory;

  std::array<QLineEdit*, 6> rounding_edits_;

  QLineEdit* Edit_pokladna;
  QCheckBox* ChBox_pokladna;
  QCheckBox* ChBox_platidla;
  std::array<QLineEdit*, 10> tender_edits_;
};

}  // namespace kv
