#include <charconv>
#include <cstring>

#include "core/print_manager.h"

// InitPort: brings the port up, checks the printer's condition and identifies it. Callers go on
// only when it returns 1.

namespace kv {

namespace {

constexpr char kModel[] = "RB4900";
// FF CR ETX clear the printer's input line, then ESC "e" ESC "i" ask for the model and version.
constexpr uint8_t kIdentify[7] = {12, 13, 3, 27, 'e', 27, 'i'};

constexpr int kPanelState = 3;

}  // namespace

int TSRB4900::InitPort(int quiet) {
  if (quiet == 0 && cfg.port == -1) return 0;
  view.SetTrayHint(Msg(106));

  if (AttachPort(cfg.port, 8500, 8500) < 0) {
    if (quiet == 0) boxes.Plain(Msg(107), BoxButtons::Ok, BoxIcon::Warning);
    view.SetItemText("SRB4900/StatusBar1", kPanelState, Msg(108));
    LogError("Nepodarilo sa inicializovat port");
    view.SetTrayPicture(1);
    view.SetTrayHint(Msg(109));
    view.SetItemText("SRB4900/StatusBar1", kPanelState, Msg(108));
    device_ready = 0;
    status_value = 0;
    return 0;
  }

  bool ready = false;
  try {
    PurgeAfterWrite();
    ready = OpenPort(0) != 0;
    // The printer reports a condition the operator must clear; ask until it is gone. A printer
    // that stops answering meanwhile, or the program ending, counts as not ready.
    while (ready && flags.S1_2) {
      WriteInfoFile();
      boxes.Captioned(Msg(23), Msg(25), BoxButtons::Ok, BoxIcon::Warning);
      ready = RetryPause() && OpenPort(0) != 0;
    }
    if (ready && !LinesReady()) {
      DelayMs(500);
      if (!LinesReady()) {
        if (cfg.MSG == 1 && quiet == 0) boxes.Plain(Msg(110), BoxButtons::Ok, BoxIcon::Warning);
        LogError("Chyba DSR-DTR (RTS-CTS)");
        ready = false;
      }
    }
    if (ready) {
      view.SetText("SRB4900", "KV4910");
      answer.fill(0);
      ComPort1.Write(kIdentify, sizeof kIdentify);
      const int got = ComPort1.Read(answer.data(), 8);
      if (got == 8) {
        const char* id = reinterpret_cast<const char*>(answer.data());
        int version = 0;
        std::from_chars(id + 6, id + 8, version);
        version_number = version;
        char text[11] = {id[0], id[1], id[2], id[3], id[4], id[5], ' ', id[6], '.', id[7], 0};
        ident_text = std::string_view(text, 10);
        view.SetText("SRB4900", ident_text.view());
      }
      if (got != 8 || std::memcmp(answer.data(), kModel, 6) != 0) {
        view.SetText("SRB4900", "KV4910");
        view.SetTrayPicture(1);
        view.SetTrayHint(Msg(108));
        view.SetItemText("SRB4900/StatusBar1", kPanelState, Msg(108));
        device_ready = 0;
        if (cfg.CLOSE_PORT) ClosePort();
        return 0;
      }
    }
  } catch (const EComPort&) {
    PortFailed();
    status_value = 0;
    ready = false;
  }

  if (!ready) {
    ClosePort();
    if (cfg.MSG == 1 && quiet == 0) boxes.Plain(Msg(111), BoxButtons::Ok, BoxIcon::Warning);
    view.SetItemText("SRB4900/StatusBar1", kPanelState, Msg(108));
    view.SetText("SRB4900", Msg(108));
    view.SetTrayPicture(1);
    view.SetTrayHint(Msg(108));
    device_ready = 0;
    return 0;
  }

  if (first_tick) {
    if (ReadStatusRecord('M') > 0) cfg.mena = status_buffer[0] == '2' ? 1 : 0;
    ReadVatRates();
    device_ready = 1;
    cfg_to_cis(cfg.port);
  }
  view.SetText("SRB4900", ident_text.view());
  view.SetTrayPicture(0);
  view.SetTrayHint(Msg(112));
  view.SetItemText("SRB4900/StatusBar1", kPanelState, notice_text);
  view.SetItemIndex("SRB4900/CB_port_zac", cfg.port);
  return 1;
}

}  // namespace kv
