#pragma once

#include <QMainWindow>

namespace kv {

// The print manager's main window ("SRB4900"): shows what the print manager object reports.
class MainWindow final : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace kv
