#pragma once

#include <QMainWindow>
#include <functional>

class QMenu;

namespace kv {

class TrayIcon;

// The print manager's main window ("SRB4900"): the printer's counters, date and time, the data
// grid, the condition boxes, the line lamps and the status bar, plus the tray entry. It shows
// what the print manager object reports through the view and forwards the operator's events.
class MainWindow final : public QMainWindow {
  Q_OBJECT
 public:
  static constexpr int kStatusPanels = 4;

  explicit MainWindow(QWidget* parent = nullptr);

  TrayIcon& tray() { return *tray_; }
  // Hides the window into the notification area; without one the window stays visible, as
  // it would otherwise be out of reach.
  void HideToTray();
  // The command menu: the status bar's context menu, and a menu bar of its own when there is
  // no notification area to open it from.
  void SetCommandMenu(QMenu* menu);

  // Asked before the window closes; returning false keeps it open. Without it the window
  // closes and the program ends.
  std::function<bool()> close_query;

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildInformation();
  void BuildStatusBar();
  void ShowFromTray();

  TrayIcon* tray_;
};

}  // namespace kv
