#include "register/ui/sale_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "register/money.h"
#include "register/till_messages.h"
#include "register/ui/field_events.h"
#include "register/ui/named_controls.h"
#include "register/ui/price_list_window.h"

namespace kv {

namespace {

constexpr int kGridColumns = 5;
constexpr int kFieldLength = 12;
constexpr int kNameLength = 39;
constexpr int kTenderLength = 13;
constexpr int kCountLength = 4;

QWidget* Page(const char* name) {
  auto* page = new QWidget;
  page->setObjectName(name);
  return page;
}

}  // namespace

TForm_predaj::TForm_predaj(const SaleScreenParts& parts, QWidget* parent)
    : QWidget(parent, Qt::Window),
      parts_(parts),
      output_(parts.port),
      sale_(output_, parts.printer, parts.prices, parts.messages) {
  setObjectName("Form_predaj");
  resize(760, 560);
  if (!EnsurePriceListFolder(parts_.prices.ConfiguredPath()))
    creation_error_ = Message(kMsgFolderNotCreated);

  auto* layout = new QVBoxLayout(this);
  BuildTop(layout);
  pages_ = new QTabWidget(this);
  pages_->setObjectName("PageControl1");
  pages_->addTab(BuildSalePage(), QString());
  pages_->addTab(BuildDepositPage(), QString());
  pages_->addTab(BuildCountPage(), QString());
  layout->addWidget(pages_, 1);

  // The document as sent, kept out of sight.
  re_doklad_ = new QPlainTextEdit(this);
  re_doklad_->setObjectName("RE_doklad");
  re_doklad_->setReadOnly(true);
  re_doklad_->setVisible(false);
  output_.SetPreview(re_doklad_);
  BuildStatusBar(layout);

  auto* print = new QAction(this);
  print->setObjectName("F12_tlac");
  print->setShortcut(Qt::Key_F12);
  connect(print, &QAction::triggered, this, &TForm_predaj::BitBtn_tlacClick);
  auto* erase = new QAction(this);
  erase->setObjectName("F8_vymaz");
  erase->setShortcut(Qt::Key_F8);
  connect(erase, &QAction::triggered, this, &TForm_predaj::DeleteItem);
  addActions({print, erase});

  ConnectSalePage();
  connect(pages_, &QTabWidget::currentChanged, this, &TForm_predaj::PageControl1Change);
  edit_cena_->setText("0.00");
  pages_->setCurrentIndex(0);
  ShowItems();
  UpdateButtons();
}

void TForm_predaj::SetCompanions(TForm_platba& payment, TForm_sklad& price_list) {
  payment_ = &payment;
  price_list_ = &price_list;
}

void TForm_predaj::BuildTop(QVBoxLayout* layout) {
  auto* top = new QHBoxLayout;
  group_cena_ = new QGroupBox(this);
  group_cena_->setObjectName("GroupBox_cena");
  auto* total = new QVBoxLayout(group_cena_);
  l_celkom_ = NamedLabel("L_celkom", group_cena_);
  l_celkom_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QFont big = l_celkom_->font();
  big.setPointSize(big.pointSize() * 2);
  big.setBold(true);
  l_celkom_->setFont(big);
  l_celkom_->setText("0.00");
  total->addWidget(l_celkom_);
  top->addWidget(group_cena_, 1);

  auto* dkp = new QVBoxLayout;
  dkp->addWidget(NamedLabel("Label30", this));
  label_dkp_ = NamedLabel("Label_dkp", this);
  dkp->addWidget(label_dkp_);
  cb_faktura_ = new QCheckBox(this);
  cb_faktura_->setObjectName("CB_faktura");
  dkp->addWidget(cb_faktura_);
  top->addLayout(dkp);
  layout->addLayout(top);
}

QWidget* TForm_predaj::BuildSalePage() {
  QWidget* page = Page("TabSheet1");
  auto* layout = new QVBoxLayout(page);

  auto* item = new QGroupBox(page);
  item->setObjectName("GroupBox1");
  auto* fields = new QGridLayout(item);
  fields->addWidget(NamedLabel("Label1", item), 0, 0);
  fields->addWidget(NamedLabel("Label5", item), 0, 1);
  label4_ = NamedLabel("Label4", item);
  fields->addWidget(label4_, 0, 2);
  edit_kod_ = NamedEdit("Edit_kod", kFieldLength, item);
  fields->addWidget(edit_kod_, 1, 0);
  cb_nazov_ = new QComboBox(item);
  cb_nazov_->setObjectName("CB_nazov");
  cb_nazov_->setEditable(true);
  cb_nazov_->setInsertPolicy(QComboBox::NoInsert);
  cb_nazov_->lineEdit()->setMaxLength(kNameLength);
  fields->addWidget(cb_nazov_, 1, 1);
  edit_cena_ = NamedEdit("Edit_cena", kFieldLength, item);
  fields->addWidget(edit_cena_, 1, 2);
  cb_zaporne_ = new QComboBox(item);
  cb_zaporne_->setObjectName("CB_zaporne");
  cb_zaporne_->addItems({QString(), QString()});  // messages 149, 150 when shown
  cb_zaporne_->setEnabled(false);
  fields->addWidget(cb_zaporne_, 1, 3);
  fields->setColumnStretch(1, 1);
  layout->addWidget(item);

  rg_dph_ = new QGroupBox(page);
  rg_dph_->setObjectName("RG_dph");
  auto* levels = new QHBoxLayout(rg_dph_);
  vat_levels_ = new QButtonGroup(rg_dph_);
  for (int level = 0; level < kVatLevels; ++level) {
    auto* button = new QRadioButton(QString::number(level + 1), rg_dph_);
    vat_levels_->addButton(button, level);
    levels->addWidget(button);
  }
  vat_levels_->button(0)->setChecked(true);
  levels->addStretch();
  layout->addWidget(rg_dph_);
  bitbtn_dalsi_ = NamedButton("BitBtn_dalsi", page);
  bitbtn_zlava_ = NamedButton("BitBtn_zlava", page);
  bitbtn_kos_ = NamedButton("BitBtn_kos", page);
  bitbtn_tlac_ = NamedButton("BitBtn_tlac", page);
  bitbtn_sklad_ = NamedButton("BitBtn_sklad", page);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button :
       {bitbtn_dalsi_, bitbtn_zlava_, bitbtn_kos_, bitbtn_tlac_, bitbtn_sklad_})
    buttons->addWidget(button);
  layout->addLayout(buttons);

  grid_ = new QTableWidget(1, kGridColumns, page);
  grid_->setObjectName("StringGrid1");
  grid_->horizontalHeader()->hide();
  grid_->verticalHeader()->hide();
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  layout->addWidget(grid_, 1);
  return page;
}

QWidget* TForm_predaj::BuildDepositPage() {
  QWidget* page = Page("TabSheet2");
  auto* layout = new QGridLayout(page);
  cb_vklad_ = new QComboBox(page);
  cb_vklad_->setObjectName("CB_vklad");
  cb_vklad_->addItems({QString(), QString()});  // messages 147, 148 when shown
  layout->addWidget(cb_vklad_, 0, 0, 1, 2);
  for (int i = 0; i < kTenders; ++i) {
    l_plat_[i] = NamedLabel(QStringLiteral("L_plat%1").arg(i), page);
    edit_plat_[i] = NamedEdit(QStringLiteral("Edit_plat%1").arg(i), kTenderLength, page);
    layout->addWidget(l_plat_[i], i + 1, 0);
    layout->addWidget(edit_plat_[i], i + 1, 1);
  }
  bitbtn_tlac_vklad_ = NamedButton("BitBtn_tlac_vklad", page);
  layout->addWidget(bitbtn_tlac_vklad_, kTenders + 1, 1);
  layout->setRowStretch(kTenders + 2, 1);
  layout->setColumnStretch(2, 1);
  return page;
}

QWidget* TForm_predaj::BuildCountPage() {
  QWidget* page = Page("TabSheet3");
  auto* layout = new QGridLayout(page);
  // Whole units in the first column, cents in the second.
  constexpr int kWholeUnits = 9;
  for (int i = 0; i < kDenominations; ++i) {
    const int64_t cents = DenominationCents(i);
    const QString caption = QString::fromStdString(
        i < kWholeUnits ? std::to_string(cents / 100) : FormatCents(cents, 0));
    edit_minc_[i] = NamedEdit(QStringLiteral("Edit_minc%1").arg(i), kCountLength, page);
    const int row = i < kWholeUnits ? i : i - kWholeUnits;
    const int column = i < kWholeUnits ? 0 : 2;
    auto* label = new QLabel(caption, page);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(label, row, column);
    layout->addWidget(edit_minc_[i], row, column + 1);
  }
  bitbtn_micovka_ = NamedButton("BitBtn_micovka", page);
  layout->addWidget(bitbtn_micovka_, kWholeUnits, 3);
  layout->setRowStretch(kWholeUnits + 1, 1);
  layout->setColumnStretch(4, 1);
  return page;
}

void TForm_predaj::BuildStatusBar(QVBoxLayout* layout) {
  status_ = new QStatusBar(this);
  status_->setObjectName("StatusBar1");
  status_->setSizeGripEnabled(false);
  // Panel i is the label "StatusBar1_<i>": "Doklad:", the document number, "DU:", the second
  // counter, the port, the handshake, the till's name and the keys.
  for (int i = 0; i < kStatusPanels; ++i) {
    QLabel* panel = NamedLabel(QStringLiteral("StatusBar1_%1").arg(i), status_);
    panel->setFrameShape(QFrame::StyledPanel);
    status_->addWidget(panel, i == kStatusPanels - 1 ? 1 : 0);
  }
  layout->addWidget(status_);
}

void TForm_predaj::ConnectSalePage() {
  FieldEvents& code = FieldEvents::Watch(edit_kod_);
  code.key_rule = [](const EditText&, char key) { return SaleCodeKey(key); };
  code.on_return = [this] { edit_cena_->setFocus(); };
  code.on_focus_in = [this] {
    group_cena_->setTitle(FromCp1250(Message(kMsgTotalCaption)));
    ShowTotal(sale_.TotalText());
  };
  code.on_focus_out = [this] { FindByCode(ToCp1250(edit_kod_->text())); };

  FieldEvents& name = FieldEvents::Watch(cb_nazov_);
  name.on_return = [this] { NameSearch(); };
  name.on_focus_in = code.on_focus_in;
  name.on_focus_out = [this] { CB_nazovExit(); };
  connect(cb_nazov_, &QComboBox::activated, this, [this](int index) {
    if (const auto article = sale_.MatchFields(index)) ShowArticle(*article);
    edit_cena_->setFocus();
  });

  FieldEvents& price = FieldEvents::Watch(edit_cena_);
  price.key_rule = [this](const EditText& edit, char key) {
    return SalePriceKey(edit, key, sale_.DiscountMode());
  };
  price.on_return = [this] { AddItem(); };
  price.on_focus_in = [this] { Edit_cenaEnter(); };
  connect(edit_cena_, &QLineEdit::textChanged, this, [this](const QString& text) {
    cb_zaporne_->setEnabled(NegativeChoiceEnabled(ToCp1250(text)));
  });

  // "." in the grid deletes the selected item.
  FieldEvents::Watch(grid_).key_rule = [this](const EditText&, char key) {
    if (key != '.') return KeyVerdict{KeyVerdict::Accept, key};
    DeleteItem();
    return KeyVerdict{KeyVerdict::Refuse};
  };
  connect(grid_, &QTableWidget::currentCellChanged, this, &TForm_predaj::StringGrid1Select);
  connect(cb_faktura_, &QCheckBox::toggled, this, [this](bool on) { sale_.SetInvoice(on); });
  connect(bitbtn_dalsi_, &QPushButton::clicked, this, &TForm_predaj::AddItem);
  connect(bitbtn_zlava_, &QPushButton::clicked, this, &TForm_predaj::BitBtn_zlavaClick);
  connect(bitbtn_kos_, &QPushButton::clicked, this, &TForm_predaj::DeleteItem);
  connect(bitbtn_sklad_, &QPushButton::clicked, this, [this] {
    if (!price_list_) return;
    // Modal (the window is made so), without waiting for it to close.
    price_list_->show();
    price_list_->raise();
    price_list_->activateWindow();
  });
  for (QPushButton* print : {bitbtn_tlac_, bitbtn_tlac_vklad_, bitbtn_micovka_})
    connect(print, &QPushButton::clicked, this, &TForm_predaj::BitBtn_tlacClick);

  // The deposit and count fields: amounts, Enter to the next field, the sum shown on leaving.
  connect(cb_vklad_, &QComboBox::currentIndexChanged, this, [this](int index) {
    group_cena_->setTitle(
        FromCp1250(Message(index == 1 ? kMsgWithdrawalCaption : kMsgDepositCaption)));
  });
  auto amount_fields = [this](auto& edits, QWidget* after, std::function<std::string()> sum) {
    for (size_t i = 0; i < edits.size(); ++i) {
      FieldEvents& events = FieldEvents::Watch(edits[i]);
      events.key_rule = AmountKey;
      QWidget* next = i + 1 < edits.size() ? edits[i + 1] : after;
      events.on_return = [next] { next->setFocus(); };
      events.on_focus_out = [this, sum] { ShowTotal(sum()); };
    }
  };
  amount_fields(edit_plat_, bitbtn_tlac_vklad_, [this] { return TenderSumText(TenderFields()); });
  amount_fields(edit_minc_, bitbtn_micovka_, [this] { return CashCountSumText(CountFields()); });
}

}  // namespace kv
