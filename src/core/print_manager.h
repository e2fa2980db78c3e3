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

#include "base/app_shell.h"
#include "base/config.h"
#include "core/job_input_file.h"
#include "core/messaging.h"
#include "base/operator_boxes.h"
#include "core/repeat_filter.h"
#include "base/timer.h"
#include "base/view.h"
#include "lang/message_table.h"
#include "link/com_port.h"
#include "link/device_record.h"
#include "platform/clock.h"
#include "platform/os.h"

namespace kv {

struct PrintJob;
enum class JobRoute;

// What the print manager object reaches the outside world through. The Qt application passes
// its real implementations; tests pass fakes.
struct PrintManagerServices {
  Clock& clock;
  OperatorBoxes& boxes;
  View& view;
  Timer& timer_prmgr;  // print-job loop
  Timer& timer_msg;    // lets queued client messages through
  // Title and quit. Code that has no application object of its own may leave it out.
  AppShell& app = DetachedAppShell();
  // The device under ComPort1; empty means the system's serial devices. Tests pass an
  // in-memory line here.
  std::function<std::unique_ptr<ComBackend>()> port_backend = {};
};

// The printer condition flags of the last valid status answer (status byte 1 bits 7 to 0,
// status byte 2 bits 7 to 5).
struct StatusFlags {
  uint8_t S1_7 = 0, S1_6 = 0, S1_5 = 0, S1_4 = 0, S1_3 = 0, S1_2 = 0, S1_1 = 0, S1_0 = 0;
  uint8_t S2_7 = 0, S2_6 = 0, S2_5 = 0;
};

// The print manager object: the main window's state and behaviour without any window. It owns
// the configuration record, the message table, the serial port and the link state, and runs
// start-up, the print-job loop, the readouts and the messaging. The Qt main window ("SRB4900")
// only shows what it reports through the View and forwards events to it.
//
// Each area keeps its members in its own block below; the operations of an area live in their
// own source file.
class TSRB4900 {
 public:
  explicit TSRB4900(PrintManagerServices services);
  TSRB4900(const TSRB4900&) = delete;
  TSRB4900& operator=(const TSRB4900&) = delete;
  ~TSRB4900();

  // ---- services --------------------------------------------------------------------------
  Clock& clock;
  OperatorBoxes& boxes;
  View& view;
  Timer& Timer_prmgr;
  Timer& Timer_msg;
  AppShell& app;

  // ---- configuration (print_manager_config.cpp) -----------------------------------------
  Config cfg;
  ConfigTimeouts timeouts;       // as read at start-up; the port holds the live values
  std::string program_dir;       // without a trailing separator
  std::string priority_label = "NORMAL";
  // Reads rb4900_cfg.ini into cfg and applies what loading applies (priority, USB label).
  bool LoadConfig();
  // Hands the port time-outs of the file to ComPort1; the per-byte handshake wait becomes the
  // port's resulting write multiplier.
  void ApplyPortTimeouts();
  // Full path of a file in the program directory.
  std::string ProgramFile(const std::string& name) const;

  // ---- start-up and shutdown (print_manager_startup.cpp) ----------------------------------
  static constexpr const char* kVersionText = "1.1.0.4";
  bool no_hide = false;     // "/nohide" or "/NOHIDE" on the command line
  bool first_tick = false;  // set by start-up, consumed by the first print-job tick
  OsVersion os_version;
  std::string version_text;  // shown in the first status bar panel, written to the debug copies
  std::string notice_text;   // the fourth status bar panel while the printer is not in test mode
  std::array<FixedText<4>, 4> currency_codes;  // "EUR", "SKK", "CZK", "USD"
  // The main window's early setup: program directory (KV4910_HOME, else `exe_dir`), made the
  // working directory; the language slots; the message table.
  void FormCreate(const std::string& exe_dir);
  // The start-up sequence, run once when the settings dialog is created, before the message
  // loop; `args` are the command line parameters without the program name.
  void StartupSequence(const std::vector<std::string>& args);
  // Its parts, in order: tray hint, operating system and version texts, first-tick flag;
  void StartupShowVersions();
  // the no-hide switch;
  void StartupReadCommandLine(const std::vector<std::string>& args);
  // the configuration file, then the start-up delay.
  void StartupLoadSettings();

  // ---- messages and languages (lang/print_manager_lang.cpp) --------------------------------
  MessageTable messages;  // the program's MessageTable
  // Text of message n.
  std::string Msg(int n) const { return messages.Text(n); }
  // Fills the message table from the message file of the current language.
  void LoadMessages();
  // Applies the language file of the current language to the switched-on groups of windows.
  void LoadLanguage(bool settings, bool main, bool others);
  // Full paths of the current language's files; empty when the slot names no file.
  std::string LanguageFilePath() const;
  std::string MessageFilePath() const;

  // ---- serial port and link layer -----------------------------------------------------------
  // The print-job loop's busy flag, which the readouts respect (kept here until the loop
  // declares it).
  bool busy = false;
  TComPort ComPort1;
  std::vector<std::string> port_names;  // the machine's ports; the port index points into it
  // Below 5 the link uses the line states cached from the port's events; from 5 on it reads
  // them on demand (always so on Linux, where some adapters report no line events).
  uint32_t os_major = 5;
  uint8_t dsr_gate = 0;
  uint8_t cts_gate = 0;
  // Stored by the port's line-change events, which may come from its event thread.
  std::atomic<uint8_t> cached_cts{0};
  std::atomic<uint8_t> cached_dsr{0};
  uint8_t last_signals = 0;
  uint8_t device_ready = 0;
  int32_t status_value = 0;  // status byte 1 * 256 + status byte 2 + 1; 0 = no valid answer
  StatusFlags flags;
  std::array<uint8_t, 5> status_query{};
  static constexpr size_t kAnswerSize = 18500;
  std::array<uint8_t, kAnswerSize> answer{};  // shared by every readout
  FixedText<11> ident_text;                   // "RB4900 1.2"
  int32_t version_number = 0;
  uint16_t crc = 0;

  // Pause between two passes of a retry loop (a printer that cannot be reached, a record that
  // does not come): at least the time a status query may take, so that a dead line costs
  // neither a core nor megabytes of log.
  static constexpr uint32_t kRetryPauseMs = 2000;
  // Every wait of the link: polls the clock until `done` holds (true), `limit_ms` has passed or
  // the program is ending (false). Without a condition it is a plain delay.
  bool WaitFor(uint32_t limit_ms, const std::function<bool()>& done);
  // The pause before the next pass of a retry loop; false when the program is ending and the
  // loop is to stop.
  bool RetryPause();
  void DelayMs(uint32_t ms);
  int WriteComChar(uint8_t byte, uint32_t limit_ms);
  int WriteBlock(const void* bytes, int count);
  int Get_TX_Que();
  int Get_RX_Que();
  void Clear_RX_Que();
  void Clear_TX_Que();
  // Waits until the transmit queue is empty, at most `limit_ms`; false when it did not empty.
  bool WaitTxEmpty(uint32_t limit_ms = kTxDrainLimitMs);
  static constexpr uint32_t kTxDrainLimitMs = 10000;
  // Waits up to `timeout_ms` for `minimum` bytes (1 when minimum is 10 or less), then drains
  // while bytes keep coming with gaps under 20 ms. Never stores more than `capacity` bytes;
  // what arrives beyond that is read and dropped.
  size_t ReadAnswer(uint8_t* dest, size_t capacity, uint32_t timeout_ms, size_t minimum);
  uint8_t DsrReady();
  uint8_t CtsReady();
  bool LinesReady() { return DsrReady() == 1 && CtsReady() == 1; }
  // Purges both queues once the bytes written before have left (bounded by the write
  // time-outs): a purge never drops what was just sent on purpose. Where the transmit queue
  // cannot be measured only the receive side is purged. Raises EComPort.
  void PurgeAfterWrite();
  // The DSR and CTS lamps of the main window, lit while the line is on; told by the port's
  // line events and by every reading of the lines. Only changes reach the view.
  void ShowLine(TComSignal line, bool on);
  void ShowLines(TComSignals lines);
  std::atomic<int8_t> lamp_dsr{-1};  // -1: not shown yet
  std::atomic<int8_t> lamp_cts{-1};
  void ClosePort();
  int AttachPort(int index, int input_size, int output_size);
  void ApplyBaudRate();
  bool SetupHandshake();
  int32_t OpenPort(int show_status);
  int InitPort(int quiet);
  void UpdateCrc(uint8_t byte);
  // Line-change handlers of ComPort1: they only store the new state.
  void ComPort1CTSChange(bool state) { cached_cts = state ? 1 : 0; }
  void ComPort1DSRChange(bool state) { cached_dsr = state ? 1 : 0; }
  // A failure inside the serial layer: the printer counts as not ready and the port is closed,
  // so that the next bring-up opens the device again.
  void PortFailed();
  bool in_auto_close = false;  // the automatic daily close is running (no second one inside)
  // Sets the printer's clock from the PC's local time (ESC "t" ...); always 0.
  int SetClock();

  // Connecting (print_manager_link_startup.cpp). Start-up: the port list and the speed, the
  // choice of a port when none is configured, and connecting with the operator's retry.
  void StartupPortList();
  void StartupChoosePort();
  void StartupConnect();
  // The three in order: start-up steps 10 to 12, which follow the start-up sequence proper.
  void StartupLinkSteps();
  // The menu command "Pripojenie KV4910".
  void Spusteniecasovaca1Click();
  // Whether the operator may close the main window; true lets it close (and quits).
  bool FormCloseQuery();

  // ---- working files and logs ---------------------------------------------------------------
  std::function<std::tm()> local_time;  // the PC's date and time (tests fix it)
  int32_t journal_request = 0;          // the journal-readout request
  // Full path of a file in the information directory (path_info).
  std::string InfoFile(const std::string& name) const;
  void LogError(std::string_view text);
  // The error file's run of repeated lines, and its count once the run ends (at the latest
  // when the program ends).
  RepeatFilter error_repeats;
  void FlushErrorRepeats();
  static std::string RepeatedText(const RepeatFilter::Run& run);
  void AppendErrorLine(std::string_view text, bool tell_operator);
  void WriteInfoFile();
  bool ReadJournal();
  // The backup command: true when the journal was moved into the backup file.
  bool Zalohovanie1Click();

  // ---- device status and information readout -----------------------------------------------
  static constexpr size_t kStatusBufferSize = 1024;
  std::array<uint8_t, kStatusBufferSize> status_buffer{};
  InfoRecord info;                       // the information fields of the last "I" record
  bool info_read = false;                // an "I" record has been decoded since start-up
  uint8_t test_mode = 0;
  std::array<uint8_t, 5> vatRates{};
  std::array<RoundingLine, 6> rounding_lines;
  DeviceRecord device_record;            // the last valid device record
  int32_t document_number = 0;           // from the device record
  size_t device_record_length = 0;       // bytes of the last device record in `answer`

  int ReadStatusRecord(char letter);
  void ReadInfoRecord();
  void ShowPrinterInfo();
  void ReadVatRates();
  bool ReadRoundingRecord();
  bool cfg_to_cis(int port_index);
  int ReadDeviceInfo();
  bool ParseDeviceRecord(size_t length);
  // Writes (or copies) a file, trying again 50 ms later up to `attempts` times.
  bool WriteWithAttempts(const std::string& path, std::string_view bytes, int attempts);
  bool CopyWithAttempts(const std::string& from, const std::string& to, int attempts);

  // ---- print-job loop (print_job*.cpp) ------------------------------------------------------
  // Hooks the application connects: show the sale window, post (code, value) to the client
  // (NotifyClient), and answer the client's requests that waited for the job to end. Each may
  // be left empty.
  std::function<void()> show_sale_window;
  std::function<void(int32_t code, int32_t value)> notify_client;
  std::function<void()> on_job_finished;
  // Deletes a file; true when it is gone (tests replace it to model a file that stays).
  std::function<bool(const std::string&)> remove_file = RemoveFile;
  // Moves a file aside under a dated name (tests replace it to model a file that cannot move).
  std::function<std::optional<std::string>(const std::string&, const std::tm&)> set_file_aside =
      SetFileAside;

  // Job flags, reset by every job's scan.
  bool state_check = false;
  bool closing_job = false;
  bool read_back = false;
  bool trailer = false;
  // An input file that was processed (or was to be set aside) but could not be removed: it is
  // not processed again until another file takes its place.
  std::optional<FileIdentity> processed_input;
  // The last input file reported as unreadable: reported once, not on every tick.
  std::optional<FileIdentity> unreadable_input;

  static constexpr uint32_t kDrainLimitMs = 30000;
  static constexpr int kDeleteAttempts = 100;  // 50 ms apart: about five seconds
  static constexpr uint32_t kDeleteWaitMs = 50;
  // A file is taken once two looks this far apart find it unchanged (a writer that writes in
  // place has finished).
  static constexpr uint32_t kSettleMs = 100;

  // The tick handler of Timer_prmgr: runs one job or finds nothing to do.
  void Timer_prmgrTimer();
  // Start-up: an input file left over from an earlier run.
  void HandleLeftoverInput();
  // Tray icon picture: 1 while working or on trouble, 0 when idle.
  void SetTrayState(int state) { view.SetTrayPicture(state); }
  void NotifyJobClient(int32_t code, int32_t value);

  // The tick's steps, in order (print_job.cpp, print_job_prepare.cpp, print_job_send.cpp,
  // print_job_complete.cpp).
  void JobFirstTick();
  void JobTerminateMarker();
  bool JobOpenInput(PrintJob& job);
  bool JobInputSettled(PrintJob& job);
  void ReportUnreadableInput(const std::string& path);
  void JobStart(PrintJob& job);
  JobRoute JobWaitForPrinter(PrintJob& job);
  void JobAbandonNotReady(PrintJob& job, bool set_aside);
  void JobScanFile(PrintJob& job);
  JobRoute JobCheckPrinter(PrintJob& job);
  JobRoute JobPrint(PrintJob& job);
  bool JobReadDocumentNumber();
  bool JobSend(PrintJob& job);
  bool JobDrainAndAnswer(PrintJob& job);
  bool JobReadBack();
  void JobWriteResultFiles();
  void JobDeclineRepeat(PrintJob& job);
  void JobComplete(PrintJob& job);
  void JobFinish(PrintJob& job);
  // Deletes the file the job read, 50 ms apart, until it is gone, another file has taken its
  // place (the next job) or `attempts` have failed. False when the limit was reached (the error
  // file and the operator are told) or the program is ending; the file is then remembered and
  // never sent again.
  bool DeleteInputFile(const std::string& path, const FileIdentity& identity, int attempts);
  // Moves an input file that was never printed aside under a dated name and notes it in the
  // error file, as long as the path still names the file `identity` describes; true when it is
  // no longer there. With `report`, a file that cannot be moved is remembered (never sent) and
  // the error file and the operator are told.
  bool SetAsideInput(const std::string& path, const FileIdentity& identity, bool report = true);

  // ---- messaging with client programs (print_manager_messaging.cpp) -----------------------
  // This program's window as client programs see it; it exists for the whole run and doubles
  // as the single-instance check. Made by `make_endpoint` (tests) or the platform's own.
  std::function<std::unique_ptr<MessageEndpoint>()> make_endpoint;
  std::unique_ptr<MessageEndpoint> endpoint;
  std::unique_ptr<MessagingHost> messaging_host;  // this object as the messaging sees it
  std::unique_ptr<Messaging> messaging;
  bool second_instance = false;  // another copy runs: this one quits without doing anything
  // Start-up steps 7 and 9: opens the window (another instance: message 114, quit, false),
  // then registers the client message when messaging is on.
  bool StartupMessaging();
  // The end of start-up (after the leftover input file): client messages are taken from now
  // on. Those that came earlier waited in the endpoint and are served first.
  void TakeClientMessages();
  // Takes the client messages that are waiting (the message timer and the socket notifier).
  void Timer_msgTimer();
};

}  // namespace kv
