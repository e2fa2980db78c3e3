#pragma once

#include <cstdint>
#include <string>

#include "core/config.h"
#include "core/operator_boxes.h"
#include "core/timer.h"
#include "core/view.h"
#include "lang/message_table.h"
#include "platform/clock.h"

namespace kv {

// What the print manager object reaches the outside world through. The Qt application passes
// its real implementations; tests pass fakes.
struct PrintManagerServices {
  Clock& clock;
  OperatorBoxes& boxes;
  View& view;
  Timer& timer_prmgr;  // print-job loop
  Timer& timer_msg;    // lets queued client messages through
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

  // ---- configuration (print_manager_config.cpp) -----------------------------------------
  Config cfg;
  ConfigTimeouts timeouts;       // as read at start-up; the port holds the live values
  std::string program_dir;       // without a trailing separator
  std::string priority_label = "NORMAL";
  // Reads rb4900_cfg.ini into cfg and applies what loading applies (priority, USB label).
  bool LoadConfig();
  // Full path of a file in the program directory.
  std::string ProgramFile(const std::string& name) const;

  // ---- start-up and shutdown --------------------------------------------------------------

  // ---- messages and languages ---------------------------------------------------------------
  MessageTable messages;  // the program's MessageTable
  // Text of message n.
  std::string Msg(int n) const { return messages.Text(n); }

  // ---- serial port and link layer -----------------------------------------------------------

  // ---- working files and logs ---------------------------------------------------------------

  // ---- device status and information readout -----------------------------------------------

  // ---- print-job loop -----------------------------------------------------------------------

  // ---- messaging with client programs -------------------------------------------------------
};

}  // namespace kv
