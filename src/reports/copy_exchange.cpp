#include "reports/copy_exchange.h"

#include "reports/copy_request.h"

namespace kv {

CopyOutcome CopyTransfer::Start(CopyKind kind, std::string_view request) {
  Finish(CopyOutcome::Cancelled);
  kind_ = kind;
  acked_ = false;
  answer_.clear();
  block_ = {};
  if (!line_.Begin(request, kind == CopyKind::Fetch)) {
    outcome_ = CopyOutcome::NotSent;
    return outcome_;
  }
  outcome_ = CopyOutcome::Waiting;
  sent_at_ = clock_.TickCount();
  return outcome_;
}

CopyOutcome CopyTransfer::Poll() {
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
  while (line_.Read(byte, 1) == 1) {
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
    if (line_.Read(answer_, missing) == 0) break;
    last_byte_at_ = clock_.TickCount();
  }
  if (BlockBytesMissing() > 0 && clock_.Since(last_byte_at_) <= kCopyBlockPauseMs) return;
  block_ = ParseFetchedBlock(answer_);
  Finish(CopyOutcome::Accepted);
}

void CopyTransfer::Finish(CopyOutcome outcome) {
  if (!running()) return;
  outcome_ = outcome;
  line_.End();
}

}  // namespace kv
