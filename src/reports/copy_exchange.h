#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "reports/copy_block.h"

// One request of the copies window and the printer's answer to it, run step by step so that the
// window keeps turning its event loop (and can be cancelled) while the printer takes up to a
// minute to answer.

namespace kv {

// How a copy exchange's request went out.
enum class LineStart {
  Written,  // the printer is held for this exchange and the request is written
  Busy,     // another exchange holds the printer: nothing was written
  Failed,   // the port is closed or failed: the request did not go out whole
};

// The printer line as one copy exchange uses it. The printer link implements it while it holds
// the printer for the exchange: from a Begin that returned Written until End.
class CopyLine {
 public:
  virtual ~CopyLine() = default;
  // Takes the printer for this exchange, drops the answer bytes not read yet (and with
  // `purge_output` the bytes not sent yet as well) and writes `request`. Unless it returns
  // Written the printer is not held and End is not called.
  virtual LineStart Begin(std::string_view request, bool purge_output) = 0;
  // Moves up to `max` bytes that have arrived to the end of `into` without waiting; returns how
  // many, or -1 when the line has failed.
  virtual int Read(std::string& into, size_t max) = 0;
  // Gives the printer back.
  virtual void End() = 0;
};

enum class CopyKind {
  Print,  // the printer prints the document or report: only its ACK comes back
  Fetch,  // ACK, then the stored document as a length-prefixed block with a CRC
};

enum class CopyOutcome {
  Idle,        // no exchange has run yet
  Waiting,     // the exchange runs: look again later
  Accepted,    // ACK (for a fetch: and the block, see block())
  Refused,     // the first non-zero byte was not ACK
  NoAnswer,    // no non-zero byte within kCopyAnswerTimeoutMs of the write
  Busy,        // another exchange kept the printer for kCopyTurnWaitMs: nothing was sent
  LineFailed,  // the port is closed or failed: the request or its answer did not get through
  Cancelled,   // the operator stopped the wait
};

// After the ACK of a fetch the block has to keep coming: a pause longer than this ends it, and
// what came is a short block. (The port's read time-outs bound the same reads: 2000 ms is the
// default read constant.)
inline constexpr uint32_t kCopyBlockPauseMs = 2000;
// A request that finds the printer in another exchange (a print job, an open till receipt)
// waits this long for its turn, then gives up without sending anything.
inline constexpr uint32_t kCopyTurnWaitMs = 10000;

class CopyTransfer {
 public:
  CopyTransfer(CopyLine& line, Clock& clock) : line_(line), clock_(clock) {}
  ~CopyTransfer() { Finish(CopyOutcome::Cancelled); }
  CopyTransfer(const CopyTransfer&) = delete;
  CopyTransfer& operator=(const CopyTransfer&) = delete;

  // Writes the request (the input is purged first; for a fetch the output too). Returns the
  // outcome so far: Waiting (also while the printer is busy with another exchange: each Poll
  // tries again), or LineFailed.
  CopyOutcome Start(CopyKind kind, std::string_view request);
  // One look at the line: takes what has arrived and checks the time limits. Never waits.
  CopyOutcome Poll();
  // Stops a running exchange; the printer's late answer is dropped by the next request's purge.
  void Cancel();

  bool running() const { return outcome_ == CopyOutcome::Waiting; }
  CopyOutcome outcome() const { return outcome_; }
  CopyKind kind() const { return kind_; }
  // The fetched block once a fetch is Accepted: its status says whether it came whole.
  const FetchedBlock& block() const { return block_; }

 private:
  // Tries to write the request; false while the printer is busy with another exchange.
  bool TrySend();
  void TakeAck();
  void TakeBlock();
  // The number of block bytes (length bytes included) still to come; known after the length.
  size_t BlockBytesMissing() const;
  // Ends a running exchange with `outcome` (the printer is given back); else does nothing.
  void Finish(CopyOutcome outcome);

  CopyLine& line_;
  Clock& clock_;
  CopyKind kind_ = CopyKind::Print;
  CopyOutcome outcome_ = CopyOutcome::Idle;
  std::string request_;
  bool sent_ = false;  // the line holds the printer: End is due
  bool acked_ = false;
  uint32_t started_at_ = 0;
  uint32_t sent_at_ = 0;
  uint32_t last_byte_at_ = 0;
  std::string answer_;  // after the ACK: the length bytes and the block
  FetchedBlock block_;
};

}  // namespace kv
