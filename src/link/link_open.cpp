#include "core/print_manager.h"

// Bringing the line up: choosing the port and speed, deciding the handshake, and the status
// query that tells whether the printer is there and in which condition.

namespace kv {

namespace {

constexpr uint8_t kStatusQuery[2] = {27, 17};

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

int TSRB4900::AttachPort(int index, int input_size, int output_size) {
  if (index < 0) {
    device_ready = 0;
    return -1;
  }
  try {
    if (static_cast<size_t>(index) >= port_names.size()) throw EComPort(kComOpenFailed, 0);
    ComPort1.SetPort(port_names[static_cast<size_t>(index)]);
    ComPort1.SetInputSize(input_size);
    ComPort1.SetOutputSize(output_size);
    ComPort1.Open();
    return index;
  } catch (const EComPort&) {
    if (cfg.MSG == 1) boxes.App(Msg(139), BoxButtons::Ok, BoxIcon::Warning);
    return -1;
  }
}

void TSRB4900::ApplyBaudRate() {
  TBaudRate rate;
  switch (cfg.baud) {
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
    ComPort1.SetBaudRate(rate);
  } catch (const EComPort&) {
    PortFailed();
  }
  view.SetText("SRB4900/Label_baud", "Baud " + std::to_string(cfg.baud));
}

bool TSRB4900::SetupHandshake() {
  if (device_ready == 1) return false;
  try {
    if (cfg.dtr_dsr || cfg.rts_cts) {
      dsr_gate = cfg.dtr_dsr ? 1 : 0;
      cts_gate = cfg.rts_cts ? 1 : 0;
    } else {
      // A CTS line that follows RTS means the printer wires its ready signal to DSR, and the
      // other way round.
      ComPort1.SetControlRTS(rtsEnable);
      ComPort1.SetRTS(true);
      if (ComPort1.Signals() & csCTS) {
        ComPort1.SetRTS(false);
        if (!(ComPort1.Signals() & csCTS)) dsr_gate = 1;
      }
      ComPort1.SetControlDTR(dtrEnable);
      ComPort1.SetDTR(true);
      if (ComPort1.Signals() & csDSR) {
        ComPort1.SetDTR(false);
        if (!(ComPort1.Signals() & csDSR)) cts_gate = 1;
      }
    }
    TComFlowControl flow = ComPort1.FlowControl();
    flow.ControlDTR = dsr_gate ? dtrHandshake : dtrEnable;
    flow.OutDSRFlow = dsr_gate == 1;
    flow.ControlRTS = cts_gate ? rtsHandshake : rtsEnable;
    flow.OutCTSFlow = cts_gate == 1;
    ComPort1.SetFlowControl(flow);
    return true;
  } catch (const EComPort&) {
    return false;
  }
}

int32_t TSRB4900::OpenPort(int show_status) {
  status_query = {27, 17, 0, 0, 0};
  status_value = 0;
  device_ready = 0;
  try {
    ComPort1.Open();
  } catch (const EComPort&) {
    return 0;
  }

  // The query runs on short time-outs of its own; the port's own ones go back on every way
  // out, also when the device failed on the way (the closed port keeps them for its next open).
  struct RestoreTimeouts {
    TSRB4900& pm;
    TComTimeouts saved;
    ~RestoreTimeouts() {
      try {
        pm.ComPort1.SetTimeouts(saved);
      } catch (const EComPort&) {
        pm.PortFailed();
      }
    }
  } restore{*this, ComPort1.Timeouts()};

  bool valid = false;
  try {
    TComFlowControl flow = ComPort1.FlowControl();
    flow.ControlDTR = dtrDisable;
    flow.ControlRTS = rtsDisable;
    ComPort1.SetFlowControl(flow);
    ComPort1.SetDTR(true);
    ComPort1.SetRTS(true);
    const TComSignals lines = ComPort1.Signals();
    ShowLines(lines);
    if (!(lines & (csCTS | csDSR))) return 0;

    SetupHandshake();

    TComTimeouts status_timeouts = restore.saved;
    status_timeouts.WriteTotalConstant = 100;
    status_timeouts.WriteTotalMultiplier = 100;
    status_timeouts.ReadTotalMultiplier = 300;
    status_timeouts.ReadTotalConstant = 500;
    ComPort1.SetTimeouts(status_timeouts);

    for (int attempt = 0; attempt < 2 && !valid; ++attempt) {
      if (attempt == 1) {
        const uint8_t recover[2] = {3, 13};
        ComPort1.Write(recover, 2);
        status_query = {27, 17, 0, 0, 0};
      }
      // The ETX CR of a second attempt must reach the printer before the purge.
      PurgeAfterWrite();
      ComPort1.Write(kStatusQuery, 2);
      valid = ValidStatusAnswer(status_query, ComPort1.Read(status_query.data(), 5));
    }
  } catch (const EComPort&) {
    PortFailed();
    status_value = 0;
    return 0;
  }
  if (!valid) return 0;

  device_ready = 1;
  status_value = status_query[2] * 256 + status_query[3] + 1;
  flags = DecodeStatus(status_query[2], status_query[3]);

  if (flags.S1_6) {
    if (cfg.auto_du == 1 && !in_auto_close) {
      in_auto_close = true;
      for (const uint8_t byte :
           {uint8_t{27}, uint8_t{'d'}, uint8_t{'Y'}, uint8_t{'e'}, uint8_t{'s'}})
        WriteComChar(byte, 1000);
      WaitTxEmpty();
      DelayMs(100);
      cfg_to_cis(cfg.port);
      journal_request = 1;
      ReadJournal();
      flags.S1_6 = 0;
      in_auto_close = false;
    } else if (cfg.auto_du != 1 && show_status == 1) {
      boxes.Captioned(Msg(23), Msg(16), BoxButtons::Ok, BoxIcon::Warning);
    }
  }
  if (show_status == 1) {
    if (flags.S1_5) boxes.App(Msg(18), BoxButtons::Ok, BoxIcon::Warning);
    if (flags.S1_4) boxes.Captioned(Msg(23), Msg(24), BoxButtons::Ok, BoxIcon::Warning);
    if (flags.S1_2) boxes.Captioned(Msg(21), Msg(25), BoxButtons::Ok, BoxIcon::Warning);
    if (flags.S2_7) boxes.Captioned(Msg(22), Msg(26), BoxButtons::Ok, BoxIcon::Warning);
    if (flags.S2_6) boxes.Captioned(Msg(22), Msg(27), BoxButtons::Ok, BoxIcon::Warning);
    if (flags.S2_5) boxes.Captioned(Msg(22), Msg(28), BoxButtons::Ok, BoxIcon::Warning);
  }
  return status_value;
}

}  // namespace kv
