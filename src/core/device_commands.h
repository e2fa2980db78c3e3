#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "link/printer_exchange.h"

namespace kv {

class Localization;
class OperatorBoxes;
class PrinterLink;
class PrinterReadouts;
class RunCounters;
class Timer;
class View;
class WorkingFiles;
struct Config;

// The printer commands of the tray menu: X report, daily and monthly close, copies of the last
// document and of the last daily close, the reports window, the printer's clock and the cash
// drawer. Each brings the line up, sends its few bytes under handshake, waits until they have
// left and closes the port afterwards when CLOSE_PORT is set; only the daily close reads
// something back (the device record and the journal).
//
// Every command holds the printer's lease for its exchange. One that finds the lease taken (a
// print job, a till receipt, the copies window) tells the operator the printer is busy and
// sends nothing.
class DeviceCommands {
 public:
  struct Parts {
    OperatorBoxes& boxes;
    View& view;
    Timer& timer_prmgr;
    const Config& cfg;
    const Localization& lang;
    PrinterLink& link;
    PrinterReadouts& readouts;
    WorkingFiles& files;
    const std::function<std::tm()>& local_time;
    RunCounters& counters;  // counts the daily closes sent
  };
  explicit DeviceCommands(Parts parts);
  DeviceCommands(const DeviceCommands&) = delete;
  DeviceCommands& operator=(const DeviceCommands&) = delete;

  static constexpr int kMsgPrinterBusy = 200;
  static constexpr const char* kLeaseHolder = "menu command";

  void popXUZClick();
  // Asks first (No by default); refused with message 18 while the printer does not allow a
  // close (S1.5). After the close: the device record and the journal readout.
  void popDUZClick();
  // Brings the line up and shows the monthly report dialog, which sends the request through
  // SendMonthlyRequest. The printer is not held while the dialog waits on screen.
  void popMUZClick();
  void popKDOKLClick();
  void popKDUClick();
  // Brings the line up, stops the print-job timer and shows the copies window (which starts
  // the timer again when it closes). The window takes the lease for each of its exchanges, so
  // the command gives it back before showing it.
  void KopieRB3900Click();
  void popCASClick();
  void popOtvzasClick();

  // The monthly report dialog's send, an exchange of its own: the request goes out as one
  // block and leaves the line. False when it did not go out (the printer busy: message 200).
  bool SendMonthlyRequest(std::string_view bytes);

  // ---- the exchanges alone ------------------------------------------------------------------
  // The commands without the menu's part: no question, no lease taken, no bring-up and no
  // closing of the port. The caller holds the printer's lease and has brought the line up
  // (the local HTTP interface, where the request is the confirmation). Same bytes and rules.
  void SendXReport();
  // False, sending nothing, while the printer refuses a close (S1.5).
  bool SendDailyClose();
  // The monthly request as one block; false when it did not go out.
  bool SendMonthlyClose(std::string_view bytes);
  void SendCopyLastDocument();
  void SendCopyLastClosing();
  void SendDrawerPulse();

  // Windows of other areas; the application connects them, each may stay empty.
  // Shows the monthly report dialog modally; true when the request was sent.
  std::function<bool()> show_monthly_dialog;
  // Shows the copies window modally.
  std::function<void()> show_copies_window;
  std::function<bool()> copies_window_visible;
  bool CopiesWindowVisible() const { return copies_window_visible && copies_window_visible(); }

 private:
  // The exchange of a command; idle after telling the operator that the printer is busy.
  PrinterExchange BeginExchange();
  // The bring-up before a window that holds the printer itself: the exchange ends at once,
  // leaving the port open. False when busy or the printer is not ready.
  bool BringUpAndGiveBack();
  // The frame of the simple commands: bytes with their handshake limits, the drain, the pause.
  struct Byte {
    uint8_t value;
    uint32_t limit_ms;
  };
  void SendBytes(std::initializer_list<Byte> bytes, bool pause = true);
  void Drain(bool pause);
  // The debug.txt line of a close, when `ladenie` is 1; `caption` heads the box of a file that
  // cannot be written.
  void DebugMarker(const char* format, int caption);

  OperatorBoxes& boxes_;
  View& view_;
  Timer& timer_prmgr_;
  const Config& cfg_;
  const Localization& lang_;
  PrinterLink& link_;
  PrinterReadouts& readouts_;
  WorkingFiles& files_;
  const std::function<std::tm()>& local_time_;
  RunCounters& counters_;
};

}  // namespace kv
