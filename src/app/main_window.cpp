#include "app/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "app/signal_light.h"
#include "app/tray_icon.h"

namespace kv {

namespace {

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

// The printer's condition flags: shown only, never edited here.
QCheckBox* ConditionBox(const char* name, QWidget* parent) {
  auto* box = new QCheckBox(name, parent);
  box->setObjectName(name);
  box->setFocusPolicy(Qt::NoFocus);
  box->setAttribute(Qt::WA_TransparentForMouseEvents);
  return box;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), tray_(new TrayIcon(this)) {
  setObjectName("SRB4900");
  setWindowTitle("KV4910");
  move(1, 1);
  BuildInformation();
  BuildStatusBar();
  connect(tray_, &TrayIcon::doubleClicked, this, &MainWindow::ShowFromTray);
}

void MainWindow::BuildInformation() {
  auto* central = new QWidget(this);
  auto* columns = new QHBoxLayout(central);

  // Counters, date and time of the printer, the program's own indicators. The captions come
  // from the language texts, applied right after the window is created.
  auto* values = new QGridLayout;
  const std::pair<const char*, const char*> rows[] = {
      {"Label1", "L_dokl"},
      {"Label2", "L_datum"},
      {"Label4", "L_cas"},
      {"Label8", "Label_zostava_du"},
      {"Label10", "Label_zostava_bl"},
      {"Label_pamet", "Label_sn_prom"},
  };
  int row = 0;
  for (const auto& [caption, value] : rows) {
    values->addWidget(NamedLabel(caption, QString(), central), row, 0);
    values->addWidget(NamedLabel(value, QString(), central), row, 1);
    ++row;
  }
  values->addWidget(NamedLabel("Label_stav", QString(), central), row++, 0, 1, 2);
  auto* indicators = new QHBoxLayout;
  indicators->addWidget(NamedLabel("Label_priority", "NORMAL", central));
  indicators->addWidget(NamedLabel("Label_baud", "Baud 9600", central));
  QLabel* usb = NamedLabel("Label_USB", "USB", central);
  usb->setVisible(false);
  indicators->addWidget(usb);
  indicators->addStretch();
  values->addLayout(indicators, row++, 0, 1, 2);

  auto* port = new QComboBox(central);
  port->setObjectName("CB_port_zac");
  port->setEnabled(false);  // shows the port in use; the settings dialog chooses it
  values->addWidget(port, row++, 0, 1, 2);

  auto* lamps = new QHBoxLayout;
  lamps->addWidget(new SignalLight("DSR", central));
  lamps->addWidget(new SignalLight("CTS", central));
  lamps->addStretch();
  values->addLayout(lamps, row++, 0, 1, 2);

  auto* conditions = new QHBoxLayout;
  for (const char* name : {"BUSY", "ACK", "PE", "ERR", "DSP"})
    conditions->addWidget(ConditionBox(name, central));
  conditions->addStretch();
  values->addLayout(conditions, row++, 0, 1, 2);
  values->setRowStretch(row, 1);
  columns->addLayout(values);

  // The day's figures: headings in row 0 and column 0, amounts in columns 1 and 2.
  auto* grid = new QTableWidget(13, 3, central);
  grid->setObjectName("StringGrid_data");
  grid->horizontalHeader()->hide();
  grid->verticalHeader()->hide();
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionMode(QAbstractItemView::NoSelection);
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
  grid->setColumnWidth(0, 130);
  grid->setColumnWidth(1, 95);
  grid->setColumnWidth(2, 95);
  grid->setMinimumWidth(330);
  columns->addWidget(grid, 1);

  setCentralWidget(central);
}

void MainWindow::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar1");
  bar->setSizeGripEnabled(false);
  // Panel i is the label "StatusBar1_<i>": the version, the printer kind, the "B" flag and the
  // operating system or state text.
  const int stretch[kStatusPanels] = {0, 0, 0, 1};
  for (int i = 0; i < kStatusPanels; ++i) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(QStringLiteral("StatusBar1_%1").arg(i));
    panel->setMinimumWidth(i == 3 ? 160 : 50);
    panel->setFrameShape(QFrame::StyledPanel);
    bar->addWidget(panel, stretch[i]);
  }
}

void MainWindow::HideToTray() {
  if (tray_->shown()) hide();
}

void MainWindow::SetCommandMenu(QMenu* menu) {
  QStatusBar* bar = statusBar();
  bar->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(bar, &QWidget::customContextMenuRequested, menu,
          [bar, menu](const QPoint& at) { menu->popup(bar->mapToGlobal(at)); });
  if (tray_->shown()) return;
  menu->setTitle("&KV4910");
  menuBar()->addMenu(menu);
}

void MainWindow::ShowFromTray() {
  setWindowState(windowState() & ~Qt::WindowMinimized);
  showNormal();
  raise();
  activateWindow();
  update();
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || !isMinimized() || !tray_->shown()) return;
  // Hide once the minimise has been handled; the tray entry brings the window back.
  QTimer::singleShot(0, this, &QWidget::hide);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (close_query && !close_query()) {
    event->ignore();
    return;
  }
  event->accept();
  QCoreApplication::quit();
}

}  // namespace kv
