#include "reports/copy_exchange.h"

#include "reports/copy_request.h"

namespace kv {

CopyOutcome CopyTransfer::Start(CopyKind kind, std::string_view request) {
  Finish(CopyOutcome::Cancelled);
  kind_ = kind;
  request_.assign(request);
  sent_ = false;
  acked_ = false;
  answer_.clear();
  block_ = {};
  outcome_ = CopyOutcome::Waiting;
  started_at_ = clock_.TickCount();
  TrySend();
  return outcome_;
}

bool CopyTransfer::TrySend() {
  switch (line_.Begin(request_, kind_ == CopyKind::Fetch)) {
    case LineStart::Written:
      sent_ = true;
      sent_at_ = clock_.TickCount();
      return true;
    case LineStart::Busy:
      if (clock_.Since(started_at_) >= kCopyTurnWaitMs) Finish(CopyOutcome::Busy);
      return false;
    case LineStart::Failed:
      Finish(CopyOutcome::LineFailed);
      return false;
  }
  return false;
}

CopyOutcome CopyTransfer::Poll() {
  if (running() && !sent_ && !TrySend()) return outcome_;
  if (running() && !acked_) TakeAck();
  if (running() && acked_) TakeBlock();
  return outcome_;
}

void CopyTransfer::Cancel() {
  Finish(CopyOutcome::Cancelled);
}

void CopyTransfer::TakeAck() {
  // Zero bytes before the answer are line noise and skipped; the first other byte decides.
  std::string byte;
  for (int got; (got = line_.Read(byte, 1)) != 0;) {
    if (got < 0) return Finish(CopyOutcome::LineFailed);
    const auto value = static_cast<unsigned char>(byte.back());
    byte.clear();
    if (value == 0) continue;
    if (value != kAck) return Finish(CopyOutcome::Refused);
    if (kind_ == CopyKind::Print) return Finish(CopyOutcome::Accepted);
    acked_ = true;
    last_byte_at_ = clock_.TickCount();
    return;
  }
  if (clock_.Since(sent_at_) >= kCopyAnswerTimeoutMs) Finish(CopyOutcome::NoAnswer);
}

size_t CopyTransfer::BlockBytesMissing() const {
  if (answer_.size() < 2) return 2 - answer_.size();
  const size_t length =
      FetchBlockLength(static_cast<uint8_t>(answer_[0]), static_cast<uint8_t>(answer_[1]));
  if (length > kMaxCopyBlock) return 0;  // refused as it stands; the rest is not read
  return 2 + length - answer_.size();
}

void CopyTransfer::TakeBlock() {
  for (size_t missing = BlockBytesMissing(); missing > 0; missing = BlockBytesMissing()) {
    const int got = line_.Read(answer_, missing);
    if (got < 0) return Finish(CopyOutcome::LineFailed);
    if (got == 0) break;
    last_byte_at_ = clock_.TickCount();
  }
  if (BlockBytesMissing() > 0 && clock_.Since(last_byte_at_) <= kCopyBlockPauseMs) return;
  block_ = ParseFetchedBlock(answer_);
  Finish(CopyOutcome::Accepted);
}

void CopyTransfer::Finish(CopyOutcome outcome) {
  if (!running()) return;
  outcome_ = outcome;
  if (sent_) line_.End();
  sent_ = false;
}

}  // namespace kv
