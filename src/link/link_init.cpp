#include <charconv>
#include <cstring>

#include "base/config.h"
#include "base/control_bytes.h"
#include "base/error_log.h"
#include "base/operator_boxes.h"
#include "base/view.h"
#include "base/view_names.h"
#include "lang/localization.h"
#include "link/clock_command.h"
#include "link/link_host.h"
#include "link/link_messages.h"
#include "link/printer_link.h"
#include "link/result_files.h"

// InitPort: brings the port up, checks the printer's condition and identifies it. Callers go on
// only when it returns 1. And the clock command, which goes out over a line brought up so.

namespace kv {

namespace {

using StateText = Localization::StateText;

constexpr char kModel[] = "RB4900";
// FF CR ETX clear the printer's input line, then ESC "e" ESC "i" ask for the model and version.
constexpr uint8_t kIdentify[7] = {kFF, kCR, kETX, kESC, 'e', kESC, 'i'};

}  // namespace

// The window caption (the program's name, or message 108 too), the tray and the state panel
// of a printer that is not ready.
void PrinterLink::ShowBringUpFailure(bool name_in_caption) {
  if (name_in_caption)
    lang_.ShowStateText(StateText::Caption, "KV4910");
  else
    lang_.ShowStateMessage(StateText::Caption, kMsgNotConnected);
  view_.SetTrayPicture(1);
  view_.SetTrayHint(lang_.Msg(kMsgNotConnected));
  lang_.ShowStateMessage(StateText::StatePanel, kMsgNotConnected);
  device_ready_ = 0;
}

int PrinterLink::InitPort(int quiet) {
  if (quiet == 0 && cfg_.port == -1) {
    last_bring_up_ = BringUp::PortUnavailable;
    return 0;
  }
  view_.SetTrayHint(lang_.Msg(kMsgConnecting));

  if (AttachPort(cfg_.port, 8500, 8500) < 0) {
    last_bring_up_ = BringUp::PortUnavailable;
    if (quiet == 0 && !Unattended())
      boxes_.Plain(lang_.Msg(kMsgPortNotOpened), BoxButtons::Ok, BoxIcon::Warning);
    errors_.LogError("Nepodarilo sa inicializovat port");
    view_.SetTrayPicture(1);
    view_.SetTrayHint(lang_.Msg(kMsgPortError));
    lang_.ShowStateMessage(StateText::StatePanel, kMsgNotConnected);
    device_ready_ = 0;
    status_value_ = 0;
    return 0;
  }

  bool ready = false;
  try {
    PurgeAfterWrite();
    ready = OpenPort(0) != 0;
    // The printer reports a condition the operator must clear; ask until it is gone. A printer
    // that stops answering meanwhile, or the program ending, counts as not ready.
    while (ready && flags_.S1_2 && !Unattended()) {
      results_.WriteInfoFile();
      boxes_.Captioned(lang_.Msg(kMsgPrinterNoticeCaption), lang_.Msg(kMsgCoverOpen),
                       BoxButtons::Ok, BoxIcon::Warning);
      ready = RetryPause() && OpenPort(0) != 0;
    }
    if (ready && !LinesReady()) {
      DelayMs(500);
      if (!LinesReady()) {
        if (cfg_.MSG == 1 && quiet == 0 && !Unattended())
          boxes_.Plain(lang_.Msg(kMsgHandshakeLinesDown), BoxButtons::Ok, BoxIcon::Warning);
        errors_.LogError("Chyba DSR-DTR (RTS-CTS)");
        last_bring_up_ = BringUp::LinesDown;
        ready = false;
      }
    }
    if (ready) {
      lang_.ShowStateText(StateText::Caption, "KV4910");
      identification_.fill(0);
      port_.Write(kIdentify, sizeof kIdentify);
      const int got = port_.Read(identification_.data(), 8);
      const char* id = reinterpret_cast<const char*>(identification_.data());
      if (got == 8) {
        int version = 0;
        std::from_chars(id + 6, id + 8, version);
        version_number_ = version;
        const char text[11] = {id[0], id[1], id[2], id[3], id[4], id[5], ' ', id[6], '.', id[7], 0};
        ident_text_ = std::string_view(text, 10);
        lang_.ShowStateText(StateText::Caption, ident_text_.view());
      }
      if (got != 8 || std::memcmp(id, kModel, 6) != 0) {
        last_bring_up_ = got != 8 ? BringUp::NoAnswer : BringUp::NotIdentified;
        ShowBringUpFailure(true);
        ClosePortWhenConfigured();
        return 0;
      }
    }
  } catch (const EComPort&) {
    SerialFailure(Tell::Nobody);
    status_value_ = 0;
    last_bring_up_ = BringUp::PortUnavailable;
    ready = false;
  }

  if (!ready) {
    ClosePort();
    if (cfg_.MSG == 1 && quiet == 0 && !Unattended())
      boxes_.Plain(lang_.Msg(kMsgNoAnswer), BoxButtons::Ok, BoxIcon::Warning);
    ShowBringUpFailure(false);
    return 0;
  }

  last_bring_up_ = BringUp::Ready;
  if (follow_ups_) follow_ups_->AfterBringUp();
  lang_.ShowStateText(StateText::Caption, ident_text_.view());
  view_.SetTrayPicture(0);
  view_.SetTrayHint(lang_.Msg(kMsgReady));
  lang_.ShowStateMessage(StateText::StatePanel, kMsgNotice);
  view_.SetItemIndex(view_names::kPortBox, cfg_.port);
  return 1;
}

int PrinterLink::SetClock() {
  if (InitPort(0) == 0) return 0;
  SendClockCommand();
  return 0;
}

void PrinterLink::SendClockCommand() {
  const auto command = ClockCommand(local_time_());
  if (WriteBlock(command.data(), static_cast<int>(command.size())) != 0) WaitTxEmpty();
  DelayMs(100);
}

}  // namespace kv
