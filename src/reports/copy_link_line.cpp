#include "reports/copy_link_line.h"

#include <algorithm>

#include "link/printer_link.h"

namespace kv {

LineStart CopyLinkLine::Begin(std::string_view request, bool purge_output) {
  if (exchange_) return LineStart::Busy;  // the exchange before has not ended
  if (!exchange_.Begin(kHolder)) return LineStart::Busy;
  if (!link_.ComPort1().Connected()) {
    exchange_.End();
    return LineStart::Failed;
  }
  // The output only once the bytes an earlier exchange wrote have left; where the port cannot
  // tell how many are still queued, it is left alone.
  if (purge_output && link_.ComPort1().OutputCountKnown()) {
    link_.WaitTxEmpty();
    link_.Clear_TX_Que();
  }
  link_.Clear_RX_Que();
  const int size = static_cast<int>(request.size());
  if (!link_.ComPort1().Connected() || link_.WriteBlock(request.data(), size) != size) {
    exchange_.End();
    return LineStart::Failed;
  }
  return LineStart::Written;
}

int CopyLinkLine::Read(std::string& into, size_t max) {
  char chunk[512];
  const int want = static_cast<int>(std::min(max, sizeof chunk));
  const int got = link_.ReadNow(reinterpret_cast<uint8_t*>(chunk), want);
  if (got > 0) into.append(chunk, static_cast<size_t>(got));
  return got;
}

}  // namespace kv
