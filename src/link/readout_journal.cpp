#include "base/config.h"
#include "base/control_bytes.h"
#include "link/printer_link.h"
#include "link/printer_readouts.h"
#include "link/result_files.h"

// The journal readout (ESC "Q"): the text of the last document, appended to the journal file.

namespace kv {

bool PrinterReadouts::ReadJournal() {
  if (!journal_request_) return true;
  journal_request_ = false;
  // The journal is opened for appending before the printer is asked, as a check that the text
  // will have somewhere to go.
  if (!results_.OpenJournal()) return false;

  link_.Clear_RX_Que();
  const auto wait = static_cast<uint32_t>(cfg_.handshake_wait);
  if (!link_.WriteComChar(kESC, wait) || !link_.WriteComChar('Q', wait)) return false;
  const size_t n = link_.ReadAnswer(answer_.data(), answer_.size(), cfg_.time_info, 3);
  if (n == 0) return false;
  return results_.AppendJournal({reinterpret_cast<const char*>(answer_.data()), n});
}

}  // namespace kv
