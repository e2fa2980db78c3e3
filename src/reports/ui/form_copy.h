#pragma once

#include <QDialog>
#include <QTimer>
#include <ctime>
#include <functional>

#include "reports/copy_exchange.h"
#include "reports/copy_request.h"

class QAction;
class QButtonGroup;
class QCalendarWidget;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTextEdit;

namespace kv {

class MessageTable;
class OperatorBoxes;

struct CopyWindowServices {
  CopyLine& line;  // the printer, held for one request at a time
  Clock& clock;
  const MessageTable& messages;
  OperatorBoxes& boxes;
  std::function<std::tm()> local_time;
  // FormClose: the print-job timer, stopped by the opener, runs again unless messaging drives
  // the jobs.
  std::function<void()> on_close;
};

// The copies window ("Form_copy"): asks the printer to print stored documents and reports, or
// fetches a stored document to show it. While the printer is asked the window keeps working:
// the wait for its answer (up to a minute) shows message 60 in the caption and can be stopped
// with BitBtn_zrus or Esc.
class TForm_copy final : public QDialog {
  Q_OBJECT
 public:
  // How often a running request looks at the line.
  static constexpr int kPollMs = 10;

  explicit TForm_copy(CopyWindowServices services, QWidget* parent = nullptr);
  ~TForm_copy() override;

  // Shows the window modally. Without a screen it is not shown and closes at once.
  void ShowModal();

  void RG_kopieClick(int entry);
  void CheckBox_datumClick();
  void PreniestdokolonkyOd1Click();
  void PreniestdokolonkyDo1Click();
  void BitBtn_tlacClick();
  void BitBtn_copy_to_pcClick();
  // Stops a running request (BitBtn_zrus, Esc, closing the window).
  void BitBtn_zrusClick();
  bool waiting() const { return transfer_.running(); }

  // The window's fields as the request builders read them.
  CopyFields Fields() const;

  // FormClose (every way the window closes): a running request is stopped first.
  void done(int result) override;
  // Esc: stops a running request; otherwise closes the window.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildCalendar();
  QWidget* BuildEntries();
  QWidget* BuildParameters();
  void SelectEntry(int entry);
  CalendarDate CalendarValue() const;
  void SetIntervalFields(IntervalMask mask, const std::string& text);
  // Whether a request was built; an incomplete field is said in a box, and an entry without
  // such a request changes nothing.
  bool Buildable(const CopyRequest& request);
  void Start(CopyKind kind, const std::string& request);
  void PollLine();
  void ShowOutcome();
  void ShowFetchedBlock(const FetchedBlock& block);
  void SetButtons(bool idle);

  CopyWindowServices services_;
  CopyTransfer transfer_;
  QTimer poll_timer_;
  bool fetch_enabled_ = true;  // BitBtn_copy_to_pc as the entry left it

  QCalendarWidget* kalendar;
  QMenu* PopupMenu_kalendar;
  QAction* PreniestdokolonkyOd1;
  QAction* PreniestdokolonkyDo1;
  QGroupBox* RG_kopie;
  QButtonGroup* entries_;
  QGroupBox* GroupBox1;
  QLineEdit* Edit_kdokladu;
  QLineEdit* Edit_kbldu;
  QLineEdit* Edit_kdu;
  QCheckBox* CheckBox_datum;
  QLabel* Label_od;
  QLabel* Label_do;
  QLineEdit* MaskEdit_od;
  QLineEdit* MaskEdit_do;
  QLineEdit* MaskEdit_casod;
  QLineEdit* MaskEdit_casdo;
  QLineEdit* Edit_crc16_in;
  QLineEdit* Edit_crc16_vyp;
  QPushButton* BitBtn_tlac;
  QPushButton* BitBtn_copy_to_pc;
  QPushButton* BitBtn_zrus;
  QTextEdit* RE_doklad;
};

}  // namespace kv
