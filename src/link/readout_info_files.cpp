#include <cstdio>

#include "core/print_manager.h"
#include "core/working_files.h"

// ReadDeviceInfo: a client's request for the device record, which is read and written to the
// information files info.txt (document number), info.ful and esci.txt (the record as received).

namespace kv {

namespace {

constexpr uint8_t kETX = 3;

}  // namespace

bool TSRB4900::WriteWithAttempts(const std::string& path, std::string_view bytes, int attempts) {
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (WriteBytes(path, bytes)) return true;
    DelayMs(50);
  }
  return false;
}

bool TSRB4900::CopyWithAttempts(const std::string& from, const std::string& to, int attempts) {
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (CopyFileOver(from, to)) return true;
    DelayMs(50);
  }
  return false;
}

int TSRB4900::ReadDeviceInfo() {
  if (!ComPort1.Connected()) return 0;
  if (OpenPort(0) == 0) {
    WriteInfoFile();
    return 0;
  }
  if (!WriteComChar(27, cfg.handshake_wait) || !WriteComChar('I', cfg.handshake_wait)) return 0;
  size_t n = ReadAnswer(answer.data(), answer.size(), cfg.time_info, 125);
  if (cfg.rozsirene_info == 1) {
    // One byte at a time until the ETX that ends the record.
    while (n < answer.size()) {
      if (ReadAnswer(answer.data() + n, answer.size() - n, 100, 1) != 1) break;
      if (answer[n++] == kETX) break;
    }
  }
  if (!ParseDeviceRecord(n)) return 0;

  const std::string tmp = ProgramFile("info.tmp");
  const std::string txt = InfoFile("info.txt");
  view.SetTrayHint(Msg(142));
  ClearAttributes(txt);
  ClearAttributes(tmp);
  char number[24];
  std::snprintf(number, sizeof number, "%d\r\n", document_number);
  if (!WriteWithAttempts(tmp, number, 20)) {
    boxes.Captioned(Msg(2), tmp, BoxButtons::Ok, BoxIcon::Warning);
  } else if (!CopyFileOver(tmp, txt)) {
    boxes.Captioned(Msg(2), txt, BoxButtons::Ok, BoxIcon::Warning);
  }

  view.SetTrayHint(Msg(143));
  if (!WriteWithAttempts(tmp, {reinterpret_cast<const char*>(answer.data()), n}, 21))
    boxes.Captioned(Msg(2), tmp, BoxButtons::Ok, BoxIcon::Warning);

  if (!CopyWithAttempts(tmp, InfoFile("info.ful"), 21))
    boxes.Captioned(Msg(2), "Chyba pri vytvarani suboru info.ful", BoxButtons::Ok,
                    BoxIcon::Warning);
  view.SetTrayHint(Msg(144));
  if (!CopyWithAttempts(tmp, InfoFile("esci.txt"), 21))
    boxes.Captioned(Msg(2), "Chyba pri vytvarani suboru esci.txt", BoxButtons::Ok,
                    BoxIcon::Warning);
  view.SetTrayHint(Msg(145));
  return 1;
}

}  // namespace kv
