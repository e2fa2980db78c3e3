#include "reports/copy_block.h"

#include "link/crc.h"

namespace kv {

FetchedBlock ParseFetchedBlock(std::string_view answer) {
  FetchedBlock block;
  if (answer.size() < 2) return block;
  const size_t length =
      FetchBlockLength(static_cast<uint8_t>(answer[0]), static_cast<uint8_t>(answer[1]));
  if (length > kMaxCopyBlock) {
    block.status = FetchStatus::TooLong;
    return block;
  }
  const std::string_view body = answer.substr(2);
  if (body.size() < length) return block;
  block.status = FetchStatus::Ok;
  if (length < 2) return block;

  block.document.assign(body.substr(0, length - 2));
  block.crc_received = static_cast<uint16_t>((static_cast<uint8_t>(body[length - 2]) << 8) |
                                             static_cast<uint8_t>(body[length - 1]));
  uint16_t crc = 0;
  for (const char c : block.document) crc = Crc16Step(crc, static_cast<uint8_t>(c));
  block.crc_computed = crc;
  return block;
}

namespace {

class RunWriter {
 public:
  void SetBold(bool bold) { bold_ = bold; }

  void Put(char c) {
    if (c == '\n' && after_cr_) {  // the LF of a CR LF: the CR already broke the line
      after_cr_ = false;
      return;
    }
    after_cr_ = c == '\r';
    if (c == '\r') c = '\n';
    if (runs_.empty() || runs_.back().bold != bold_) runs_.push_back({{}, bold_});
    runs_.back().text += c;
  }

  std::vector<TextRun> Take() { return std::move(runs_); }

 private:
  std::vector<TextRun> runs_;
  bool bold_ = false;
  bool after_cr_ = false;
};

}  // namespace

std::vector<TextRun> RenderCopyBlock(std::string_view document) {
  RunWriter out;
  for (size_t i = 0; i < document.size(); ++i) {
    const char c = document[i];
    if (c != '^' || i + 1 == document.size()) {
      out.Put(c);
      continue;
    }
    const char code = document[++i];
    switch (code) {
      case 'B':
      case 'H':
      case 'N':
        out.SetBold(code == 'B');
        if (i + 1 < document.size()) out.Put(document[++i]);
        break;
      case 'C':
        out.Put('\r');
        break;
      case 'L':
        out.Put('\n');
        break;
      default:
        out.Put('^');
        out.Put(code);
        break;
    }
  }
  return out.Take();
}

}  // namespace kv
