#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "register/sale_model.h"
#include "register/ui/preview_output.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTableWidget;
class QVBoxLayout;

namespace kv {

struct Config;
class OperatorBoxes;
class TForm_platba;
class TForm_sklad;

// What the sale screen works with. Everything here outlives the window.
struct SaleScreenParts {
  PriceList& prices;
  TillPrinter& printer;
  TillLinkStatus& link;
  TillPortWriter& port;  // where the till's pieces go after the preview
  OperatorBoxes& boxes;
  const MessageTable& messages;
  const Config& cfg;                                  // port, mena, platidla, plat1 ... plat10
  std::function<bool()> price_list_access;            // the current user's priceListAccess
  std::function<void(const std::string&)> log_error;  // a line for the error file
};

// The sale screen ("Form_predaj"), the built-in cash register: a receipt item by item on the
// first page, deposits and withdrawals on the second, the cash count on the third. What it
// does is the core's SaleModel; the window reads the fields, forwards the events and shows
// the outcome. Every piece goes to the printer as it is entered.
class TForm_predaj final : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kStatusPanels = 8;

  explicit TForm_predaj(const SaleScreenParts& parts, QWidget* parent = nullptr);
  // The payment window and the price list editor, created after this window.
  void SetCompanions(TForm_platba& payment, TForm_sklad& price_list);

  // Empty unless the price list's folder could not be made when the window was created
  // (message 65). The till works on without a price list; whoever created the window tells
  // the operator.
  const std::string& CreationError() const { return creation_error_; }

  const SaleModel& model() const { return sale_; }
  // The language was changed: the message texts of a shown window (status panels, the deposit
  // and negative lists, the amount's caption) follow it.
  void LanguageChanged();

  // Closing or quitting with a receipt open: the sale model's question, and the window shows
  // what is left (an empty receipt when it was left in the printer).
  ReceiptCloseAnswer ReceiptCloseQuery();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Building (sale_window.cpp).
  QWidget* BuildSalePage();
  QWidget* BuildDepositPage();
  QWidget* BuildCountPage();
  void BuildTop(QVBoxLayout* layout);
  void BuildStatusBar(QVBoxLayout* layout);
  void ConnectSalePage();

  // Events (sale_window_events.cpp).
  void FormShow();
  void ShowMessageTexts();
  void PageControl1Change(int page);
  void TabSheet1Show();
  void TabSheet2Show();
  void TabSheet3Show();
  void AddItem();
  void ResetEntry();
  void DeleteItem();
  void BitBtn_zlavaClick();
  void FindByCode(const std::string& code);
  void ShowArticle(const ArticleFields& article);
  void NameSearch();
  void CB_nazovExit();
  void Edit_cenaEnter();
  void StringGrid1Select(int row);
  void BitBtn_tlacClick();
  void PrintReceipt();
  void ReceiptPrinted();
  void PrintDeposit();
  void PrintCount();
  void ShowItems();
  void ShowTotal(const std::string& text);
  void RefuseEntry(int message);
  void SetVatLevel(int level);
  void UpdateButtons();
  std::array<std::string, kTenders> TenderFields() const;
  CashCountFields CountFields() const;
  std::string Message(int n) const;

  SaleScreenParts parts_;
  TForm_platba* payment_ = nullptr;
  TForm_sklad* price_list_ = nullptr;
  PreviewOutput output_;
  SaleModel sale_;
  std::string creation_error_;
  bool showing_rows_ = false;

  QTabWidget* pages_;
  QGroupBox* group_cena_;
  QLabel* l_celkom_;
  QLabel* label_dkp_;
  QCheckBox* cb_faktura_;
  QPlainTextEdit* re_doklad_;
  QStatusBar* status_;
  QTableWidget* grid_;
  QLineEdit* edit_kod_;
  QComboBox* cb_nazov_;
  QLineEdit* edit_cena_;
  QLabel* label4_;
  QGroupBox* rg_dph_;
  QButtonGroup* vat_levels_;
  QComboBox* cb_zaporne_;
  QPushButton* bitbtn_dalsi_;
  QPushButton* bitbtn_zlava_;
  QPushButton* bitbtn_kos_;
  QPushButton* bitbtn_tlac_;
  QPushButton* bitbtn_sklad_;
  QComboBox* cb_vklad_;
  std::array<QLineEdit*, kTenders> edit_plat_{};
  std::array<QLabel*, kTenders> l_plat_{};
  QPushButton* bitbtn_tlac_vklad_;
  std::array<QLineEdit*, kDenominations> edit_minc_{};
  QPushButton* bitbtn_micovka_;
};

}  // namespace kv
