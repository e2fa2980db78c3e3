#include "core/ui/main_window.h"

#include <QStatusBar>

namespace kv {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName("SRB4900");
  setWindowTitle("KV4910");
  statusBar()->setObjectName("StatusBar1");
  move(1, 1);
}

}  // namespace kv
