#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/fixed_text.h"
#include "link/com_port.h"
#include "link/printer_lease.h"

namespace kv {

class AppShell;
class Clock;
class ErrorLog;
class LinkHost;
class ResultFiles;
class Localization;
class OperatorBoxes;
class View;
struct Config;
struct ConfigTimeouts;
struct PortAccessDenied;

// The printer condition flags of the last valid status answer (status byte 1 bits 7 to 0,
// status byte 2 bits 7 to 5).
struct StatusFlags {
  uint8_t S1_7 = 0, S1_6 = 0, S1_5 = 0, S1_4 = 0, S1_3 = 0, S1_2 = 0, S1_1 = 0, S1_0 = 0;
  uint8_t S2_7 = 0, S2_6 = 0, S2_5 = 0;
};

// Why the last bring-up (InitPort, OpenPort) did not find the printer ready.
enum class BringUp {
  Ready,
  PortUnavailable,  // no port configured, or the device cannot be opened
  LinesDown,        // neither CTS nor DSR is on, or the handshake lines did not come up
  NoAnswer,         // no valid answer to the status query or the identification in time
  NotIdentified,    // something answered that is not the printer
};

// How ReadAnswer knows that an answer is complete. `length`: it has that many bytes (none are
// read past them); `etx_from`: an ETX at that position or later ends it (the bytes before are
// not looked at). Neither: the end is not known and the answer is drained.
struct AnswerEnd {
  size_t length = 0;
  std::optional<size_t> etx_from;
  static AnswerEnd Length(size_t n) { return {n, std::nullopt}; }
  static AnswerEnd Etx(size_t from) { return {0, from}; }
};

// What follows the link's own exchanges on the line: the reads after a bring-up that found the
// printer, and after a daily close the printer asked for. The readouts implement it and register
// themselves with the link.
class LinkFollowUps {
 public:
  virtual void AfterBringUp() = 0;
  virtual void AfterAutoDailyClose() = 0;

 protected:
  ~LinkFollowUps() = default;
};

// What the link works with. `port_backend` is the device under ComPort1 (empty: the system's
// serial devices; tests pass an in-memory line).
struct LinkServices {
  Clock& clock;
  OperatorBoxes& boxes;
  View& view;
  AppShell& app;
  Config& cfg;
  const Localization& lang;
  LinkHost& host;
  ErrorLog& errors;
  ResultFiles& results;
  const std::function<std::tm()>& local_time;
  std::function<std::unique_ptr<ComBackend>()> port_backend;
};

// The serial line to the printer and its state: the port ComPort1, the machine's port list, the
// DSR/CTS gates, the device-ready flag, the status of the last query and the printer's
// identification; the primitives every exchange goes through (byte sending under handshake,
// answer reading, queues, purges), bringing the line up (OpenPort, InitPort), the clock command,
// and the lease that lets one exchange with the printer run at a time.
//
// A failure inside the serial layer (EComPort) never leaves these functions: it is reported in
// the primitive's own words and the port is closed, so that the next bring-up opens the device
// afresh.
class PrinterLink {
 public:
  explicit PrinterLink(LinkServices services);
  PrinterLink(const PrinterLink&) = delete;
  PrinterLink& operator=(const PrinterLink&) = delete;

  TComPort& ComPort1() { return port_; }
  // The port is open (a failure underneath closes it).
  bool PortOpen() const { return port_.Connected(); }
  void SetFollowUps(LinkFollowUps* follow_ups) { follow_ups_ = follow_ups; }
  const std::vector<std::string>& port_names() const { return port_names_; }
  void SetPortNames(std::vector<std::string> names) { port_names_ = std::move(names); }
  // Lists the machine's serial ports into port_names(); none where they cannot be listed.
  const std::vector<std::string>& RefreshPortNames();

  // ---- the lease ---------------------------------------------------------------------------
  std::optional<PrinterLease> TryLease(std::string_view holder,
                                       Attendance attendance = Attendance::Attended) {
    return leases_.TryLease(holder, attendance);
  }
  bool Leased() const { return leases_.Leased(); }
  const std::string& Holder() const { return leases_.Holder(); }
  void SetLeaseWatcher(std::function<void(bool)> watcher) {
    leases_.SetLeaseWatcher(std::move(watcher));
  }
  void OnLeaseReleased(std::function<void()> callback) {
    leases_.OnLeaseReleased(std::move(callback));
  }

  // The exchange running now has nobody to ask (its holder took the lease unattended, see
  // Attendance): no box, no automatic daily close, no waiting for the operator in a bring-up.
  bool Unattended() const { return leases_.Unattended(); }
  BringUp last_bring_up() const { return last_bring_up_; }

  // ---- state -------------------------------------------------------------------------------
  uint8_t device_ready() const { return device_ready_; }
  void SetDeviceReady(bool ready) { device_ready_ = ready ? 1 : 0; }
  // Status byte 1 * 256 + status byte 2 + 1 of the last query; 0 = no valid answer.
  int32_t status_value() const { return status_value_; }
  void SetStatusValue(int32_t value) { status_value_ = value; }
  const StatusFlags& flags() const { return flags_; }
  // "RB4900 1.2" once the printer has identified itself.
  std::string_view ident_text() const { return ident_text_.view(); }
  void SetIdentText(std::string_view text) { ident_text_ = text; }
  int32_t version_number() const { return version_number_; }
  uint8_t dsr_gate() const { return dsr_gate_; }
  uint8_t cts_gate() const { return cts_gate_; }
  void SetDsrGate(uint8_t gate) { dsr_gate_ = gate; }
  void SetCtsGate(uint8_t gate) { cts_gate_ = gate; }
  // Below 5 the link uses the line states cached from the port's events; from 5 on it reads
  // them on demand (always so on Linux, where some adapters report no line events).
  uint32_t os_major() const { return os_major_; }
  void SetOsMajor(uint32_t major) { os_major_ = major; }
  uint8_t last_signals() const { return last_signals_; }
  uint16_t crc() const { return crc_; }
  void ResetCrc() { crc_ = 0; }

  // ---- primitives --------------------------------------------------------------------------
  // Pause between two passes of a retry loop (a printer that cannot be reached, a record that
  // does not come): at least the time a status query may take, so that a dead line costs
  // neither a core nor megabytes of log.
  static constexpr uint32_t kRetryPauseMs = 2000;
  static constexpr uint32_t kTxDrainLimitMs = 10000;
  // Polls the clock until `done` holds (true), `limit_ms` has passed or the program is ending;
  // `pause_ms`, where given, says when to look next.
  bool WaitFor(uint32_t limit_ms, const std::function<bool()>& done,
               const std::function<uint32_t()>& pause_ms = nullptr);
  // The pause before the next pass of a retry loop; false when the program is ending.
  bool RetryPause();
  void DelayMs(uint32_t ms);
  int WriteComChar(uint8_t byte, uint32_t limit_ms);
  // Sends the bytes as WriteComChar sends each of them; returns how many went. Where no
  // handshake gate is on there is nothing to wait for between two bytes: they go to the port
  // in pieces, each once the transmit queue has room for it, and a queue that does not move
  // for as long as one byte's write may take ends the sending.
  size_t WriteComChars(std::string_view bytes, uint32_t limit_ms);
  int WriteBlock(const void* bytes, int count);
  int Get_TX_Que();
  int Get_RX_Que();
  // Moves up to `max` bytes that have already arrived into `dest`, without waiting. -1 when the
  // port is closed or fails (a failure is told to the operator and closes the port).
  int ReadNow(uint8_t* dest, int max);
  void Clear_RX_Que();
  void Clear_TX_Que();
  // Waits until the transmit queue is empty, at most `limit_ms`; false when it did not empty.
  bool WaitTxEmpty(uint32_t limit_ms = kTxDrainLimitMs);
  // Milliseconds `bytes` take on the line at the port's speed (at least 1).
  uint32_t LineMs(size_t bytes) const;
  // Waits up to `timeout_ms` for `minimum` bytes (1 when minimum is 10 or less), then drains
  // while bytes keep coming with gaps under 20 ms. An answer whose end `end` tells returns as
  // soon as that end is in. Never stores more than `capacity` bytes; what arrives beyond that
  // is read and dropped.
  size_t ReadAnswer(uint8_t* dest, size_t capacity, uint32_t timeout_ms, size_t minimum,
                    AnswerEnd end = {});
  uint8_t DsrReady();
  uint8_t CtsReady();
  bool LinesReady() { return DsrReady() == 1 && CtsReady() == 1; }
  // Purges both queues once the bytes written before have left (bounded by the write
  // time-outs): a purge never drops what was just sent on purpose. Where the transmit queue
  // cannot be measured only the receive side is purged. Raises EComPort.
  void PurgeAfterWrite();
  // A command of its own: the queues are purged once earlier bytes have left, then the bytes
  // are written. A failure of the serial layer closes the port; false when not all bytes went.
  bool WriteCommand(std::string_view bytes);
  // Opens the port where it is closed; a device that cannot be opened stays closed, and the
  // next write reports it. True when the port is open.
  bool EnsurePortOpen();
  void ClosePort();
  void UpdateCrc(uint8_t byte);
  // A failure inside the serial layer: the printer counts as not ready and the port is closed,
  // so that the next bring-up opens the device again.
  void PortFailed();
  // Line-change handlers of ComPort1: they only store the new state.
  void ComPort1CTSChange(bool state) { cached_cts_ = state ? 1 : 0; }
  void ComPort1DSRChange(bool state) { cached_dsr_ = state ? 1 : 0; }

  // ---- bringing the line up (link_open.cpp, link_init.cpp) ---------------------------------
  int AttachPort(int index, int input_size, int output_size);
  void ApplyBaudRate();
  bool SetupHandshake();
  int32_t OpenPort(int show_status);
  int InitPort(int quiet);
  // Hands the port time-outs of the configuration file to ComPort1; the per-byte handshake
  // wait becomes the port's resulting write multiplier.
  void ApplyPortTimeouts(const ConfigTimeouts& timeouts);
  // Sets the printer's clock from the PC's local time (ESC "t" ...); always 0.
  int SetClock();
  // The clock command alone, over a line already brought up.
  void SendClockCommand();

 private:
  friend class PrinterExchange;
  // The port is closed after an exchange when CLOSE_PORT is set: the one place that reads it.
  void ClosePortWhenConfigured();
  // The one way a primitive reports a failure of the serial layer: the port is marked failed,
  // then the operator (a box) or the error file is told, or nobody.
  enum class Tell { Nobody, Operator, ErrorFile };
  void SerialFailure(Tell tell, std::string_view text = {});
  void ReportPortAccessDenied(const PortAccessDenied& denied);
  // The DSR and CTS lamps of the main window, lit while the line is on; told by the port's
  // line events and by every reading of the lines. Only changes reach the view.
  void ShowLine(TComSignal line, bool on);
  void ShowLines(TComSignals lines);
  uint8_t LineReady(uint8_t gate, const std::atomic<uint8_t>& cached, TComSignal line);
  // Reads what is queued, or else the first bytes that come within `wait_ms`, waited for in
  // the port itself. Raises EComPort.
  int ReadWaiting(void* dest, int count, uint32_t wait_ms);
  void ShowBringUpFailure(bool name_in_caption);

  Clock& clock_;
  OperatorBoxes& boxes_;
  View& view_;
  AppShell& app_;
  Config& cfg_;
  const Localization& lang_;
  LinkHost& host_;
  ErrorLog& errors_;
  ResultFiles& results_;
  LinkFollowUps* follow_ups_ = nullptr;
  const std::function<std::tm()>& local_time_;
  TComPort port_;
  PrinterLeases leases_;
  std::vector<std::string> port_names_;
  uint32_t os_major_ = 5;
  uint8_t dsr_gate_ = 0;
  uint8_t cts_gate_ = 0;
  // Stored by the port's line-change events, which may come from its event thread.
  std::atomic<uint8_t> cached_cts_{0};
  std::atomic<uint8_t> cached_dsr_{0};
  std::atomic<int8_t> lamp_dsr_{-1};  // -1: not shown yet
  std::atomic<int8_t> lamp_cts_{-1};
  uint8_t last_signals_ = 0;
  uint8_t device_ready_ = 0;
  int32_t status_value_ = 0;
  StatusFlags flags_;
  std::array<uint8_t, 5> status_query_{};
  std::array<uint8_t, 8> identification_{};
  FixedText<11> ident_text_;
  int32_t version_number_ = 0;
  uint16_t crc_ = 0;
  bool in_auto_close_ = false;  // the automatic daily close is running (no second one inside)
  BringUp last_bring_up_ = BringUp::Ready;
};

}  // namespace kv
