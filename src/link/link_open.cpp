#include "base/config.h"
#include "base/control_bytes.h"
#include "base/error_log.h"
#include "base/operator_boxes.h"
#include "base/view.h"
#include "base/view_names.h"
#include "lang/codepage.h"
#include "lang/localization.h"
#include "link/link_host.h"
#include "link/link_messages.h"
#include "link/printer_link.h"
#include "platform/port_access.h"
#include "platform/port_enum.h"

// Bringing the line up: choosing the port and speed, deciding the handshake, and the status
// query that tells whether the printer is there and in which condition.

namespace kv {

namespace {

constexpr uint8_t kStatusQuery[2] = {kESC, kDC1};

bool ValidStatusAnswer(const std::array<uint8_t, 5>& answer, int got) {
  return got == 5 && answer[0] == 'F' && answer[1] == 'S' && answer[4] == 0xAA;
}

StatusFlags DecodeStatus(uint8_t s1, uint8_t s2) {
  auto bit = [](uint8_t byte, int n) { return static_cast<uint8_t>((byte >> n) & 1); };
  StatusFlags f;
  f.S1_7 = bit(s1, 7);
  f.S1_6 = bit(s1, 6);
  f.S1_5 = bit(s1, 5);
  f.S1_4 = bit(s1, 4);
  f.S1_3 = bit(s1, 3);
  f.S1_2 = bit(s1, 2);
  f.S1_1 = bit(s1, 1);
  f.S1_0 = bit(s1, 0);
  f.S2_7 = bit(s2, 7);
  f.S2_6 = bit(s2, 6);
  f.S2_5 = bit(s2, 5);
  return f;
}

}  // namespace

int PrinterLink::AttachPort(int index, int input_size, int output_size) {
  if (index < 0) {
    device_ready_ = 0;
    return -1;
  }
  try {
    if (static_cast<size_t>(index) >= port_names_.size()) throw EComPort(kComOpenFailed, 0);
    port_.SetPort(port_names_[static_cast<size_t>(index)]);
    port_.SetInputSize(input_size);
    port_.SetOutputSize(output_size);
    port_.Open();
    return index;
  } catch (const EComPort& e) {
    const bool listed = static_cast<size_t>(index) < port_names_.size();
    const std::optional<PortAccessDenied> denied =
        listed && e.Code() == kComOpenFailed
            ? PortAccessDeniedBy(port_names_[static_cast<size_t>(index)], e.WinCode())
            : std::nullopt;
    if (denied) {
      ReportPortAccessDenied(*denied);
    } else if (cfg_.MSG == 1 && !Unattended()) {
      boxes_.App(lang_.Msg(kMsgPortOpenFailed), BoxButtons::Ok, BoxIcon::Warning);
    }
    return -1;
  }
}

// A port the user may not open is a matter of group membership, which the operator cannot see
// from the usual message: name the device and the fix.
void PrinterLink::ReportPortAccessDenied(const PortAccessDenied& denied) {
  std::string log, text;
  if (denied.group_may_open) {
    const std::string command = "sudo usermod -aG " + denied.group + " " + denied.user;
    log = "port " + denied.device + " patri skupine " + denied.group + ", pouzivatel " +
          denied.user + " v nej nie je (" + command + ")";
    text = "Používateľ " + denied.user + " nemá prístup k zariadeniu " + denied.device +
           ". Zariadenie patrí skupine " + denied.group +
           ": pridajte používateľa do tejto skupiny (" + command + ") a prihláste sa znova.";
  } else {
    log = "port " + denied.device + " moze otvorit len jeho vlastnik " + denied.owner;
    text = "Používateľ " + denied.user + " nemá prístup k zariadeniu " + denied.device +
           ". Zariadenie môže otvoriť len jeho vlastník " + denied.owner + ".";
  }
  errors_.LogError("Chyba opravnenia: " + log);
  if (cfg_.MSG == 1 && !Unattended())
    boxes_.App(lang_.Msg(kMsgPortOpenFailed) + "\r\n\r\n" + Utf8ToCp1250(text), BoxButtons::Ok,
               BoxIcon::Warning);
}

const std::vector<std::string>& PrinterLink::RefreshPortNames() {
  try {
    port_names_ = EnumComPorts();
  } catch (const EComPort&) {
    port_names_.clear();
  }
  return port_names_;
}

void PrinterLink::ApplyBaudRate() {
  TBaudRate rate;
  switch (cfg_.baud) {
    case 57600:
      rate = br57600;
      break;
    case 115200:
      rate = br115200;
      break;
    case 9600:
      rate = br9600;
      break;
    default:
      return;
  }
  try {
    port_.SetBaudRate(rate);
  } catch (const EComPort&) {
    PortFailed();
  }
  view_.SetText(view_names::kBaudLabel, "Baud " + std::to_string(cfg_.baud));
}

void PrinterLink::ApplyPortTimeouts(const ConfigTimeouts& timeouts) {
  TComTimeouts port_timeouts = port_.Timeouts();
  port_timeouts.WriteTotalConstant = timeouts.time_write;
  port_timeouts.WriteTotalMultiplier = timeouts.writemulti;
  port_timeouts.ReadTotalConstant = timeouts.readtotal;
  port_timeouts.ReadTotalMultiplier = timeouts.readmulti;
  port_timeouts.ReadInterval = timeouts.readinterval;
  try {
    port_.SetTimeouts(port_timeouts);
  } catch (const EComPort&) {
    PortFailed();  // the values are stored; the next open applies them
  }
  cfg_.handshake_wait = port_.Timeouts().WriteTotalMultiplier;
}

bool PrinterLink::SetupHandshake() {
  if (device_ready_ == 1) return false;
  try {
    if (cfg_.dtr_dsr || cfg_.rts_cts) {
      dsr_gate_ = cfg_.dtr_dsr ? 1 : 0;
      cts_gate_ = cfg_.rts_cts ? 1 : 0;
    } else {
      // A CTS line that follows RTS means the printer wires its ready signal to DSR, and the
      // other way round.
      port_.SetControlRTS(rtsEnable);
      port_.SetRTS(true);
      if (port_.Signals() & csCTS) {
        port_.SetRTS(false);
        if (!(port_.Signals() & csCTS)) dsr_gate_ = 1;
      }
      port_.SetControlDTR(dtrEnable);
      port_.SetDTR(true);
      if (port_.Signals() & csDSR) {
        port_.SetDTR(false);
        if (!(port_.Signals() & csDSR)) cts_gate_ = 1;
      }
    }
    TComFlowControl flow = port_.FlowControl();
    flow.ControlDTR = dsr_gate_ ? dtrHandshake : dtrEnable;
    flow.OutDSRFlow = dsr_gate_ == 1;
    flow.ControlRTS = cts_gate_ ? rtsHandshake : rtsEnable;
    flow.OutCTSFlow = cts_gate_ == 1;
    port_.SetFlowControl(flow);
    return true;
  } catch (const EComPort&) {
    return false;
  }
}

int32_t PrinterLink::OpenPort(int show_status) {
  status_query_ = {kESC, kDC1, 0, 0, 0};
  status_value_ = 0;
  device_ready_ = 0;
  last_bring_up_ = BringUp::PortUnavailable;
  try {
    port_.Open();
  } catch (const EComPort&) {
    return 0;
  }
  last_bring_up_ = BringUp::LinesDown;

  // The query runs on short time-outs of its own; the port's own ones go back on every way
  // out, also when the device failed on the way (the closed port keeps them for its next open).
  struct RestoreTimeouts {
    PrinterLink& link;
    TComTimeouts saved;
    ~RestoreTimeouts() {
      try {
        link.port_.SetTimeouts(saved);
      } catch (const EComPort&) {
        link.PortFailed();
      }
    }
  } restore{*this, port_.Timeouts()};

  bool valid = false;
  try {
    TComFlowControl flow = port_.FlowControl();
    flow.ControlDTR = dtrDisable;
    flow.ControlRTS = rtsDisable;
    port_.SetFlowControl(flow);
    port_.SetDTR(true);
    port_.SetRTS(true);
    const TComSignals lines = port_.Signals();
    ShowLines(lines);
    if (!(lines & (csCTS | csDSR))) return 0;
    last_bring_up_ = BringUp::NoAnswer;

    SetupHandshake();

    TComTimeouts status_timeouts = restore.saved;
    status_timeouts.WriteTotalConstant = 100;
    status_timeouts.WriteTotalMultiplier = 100;
    status_timeouts.ReadTotalMultiplier = 300;
    status_timeouts.ReadTotalConstant = 500;
    port_.SetTimeouts(status_timeouts);

    for (int attempt = 0; attempt < 2 && !valid; ++attempt) {
      if (attempt == 1) {
        const uint8_t recover[2] = {kETX, kCR};
        port_.Write(recover, 2);
        status_query_ = {kESC, kDC1, 0, 0, 0};
      }
      // The ETX CR of a second attempt must reach the printer before the purge.
      PurgeAfterWrite();
      port_.Write(kStatusQuery, 2);
      valid = ValidStatusAnswer(status_query_, port_.Read(status_query_.data(), 5));
    }
  } catch (const EComPort&) {
    SerialFailure(Tell::Nobody);
    status_value_ = 0;
    last_bring_up_ = BringUp::PortUnavailable;
    return 0;
  }
  if (!valid) return 0;
  last_bring_up_ = BringUp::Ready;

  device_ready_ = 1;
  status_value_ = status_query_[2] * 256 + status_query_[3] + 1;
  flags_ = DecodeStatus(status_query_[2], status_query_[3]);

  if (flags_.S1_6) {
    if (cfg_.auto_du == 1 && !in_auto_close_ && !Unattended()) {
      in_auto_close_ = true;
      for (const uint8_t byte : {kESC, uint8_t{'d'}, uint8_t{'Y'}, uint8_t{'e'}, uint8_t{'s'}})
        WriteComChar(byte, 1000);
      WaitTxEmpty();
      DelayMs(100);
      if (follow_ups_) follow_ups_->AfterAutoDailyClose();
      flags_.S1_6 = 0;
      in_auto_close_ = false;
    } else if (cfg_.auto_du != 1 && show_status == 1) {
      boxes_.Captioned(lang_.Msg(kMsgPrinterNoticeCaption), lang_.Msg(kMsgDailyCloseDue),
                       BoxButtons::Ok, BoxIcon::Warning);
    }
  }
  if (show_status == 1) {
    auto warn = [this](int caption, int text) {
      boxes_.Captioned(lang_.Msg(caption), lang_.Msg(text), BoxButtons::Ok, BoxIcon::Warning);
    };
    if (flags_.S1_5) boxes_.App(lang_.Msg(kMsgCloseNotAllowed), BoxButtons::Ok, BoxIcon::Warning);
    if (flags_.S1_4) warn(23, 24);
    if (flags_.S1_2) warn(21, 25);
    if (flags_.S2_7) warn(22, 26);
    if (flags_.S2_6) warn(22, 27);
    if (flags_.S2_5) warn(22, 28);
  }
  return status_value_;
}

}  // namespace kv
