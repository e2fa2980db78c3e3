#include "support/job_printer.h"

namespace kv::test {

namespace {

std::string Sized(const std::string& record) {
  const size_t n = record.size();
  return std::string{static_cast<char>(n >> 8), static_cast<char>(n & 0xFF)} + record;
}

std::string InfoRecord(uint8_t test_mode) {
  std::string r = {'\x00', '\x00', '\x12', '\x67', 'P', 'B', '\x01', '\x00', '\x01', '\x00',
                   '\x00', static_cast<char>(test_mode), 'A', '\x00', '\x00', '\x05', '\x00',
                   '\x01', '\x00', '\x02'};
  return r;
}

}  // namespace

std::string DeviceRecordBytes(int32_t document) {
  std::string r("\x01\x02\x03\r\n", 5);
  r += "Doklad " + std::to_string(document) + "\r\n41\r\n";
  for (int i = 1; i <= 12; ++i) r += std::to_string(i) + ".00\r\n";
  for (int i = 1; i <= 5; ++i) r += std::to_string(i) + "0.10\r\n";
  r += "06.12.2026\r\n14:30\r\n\x03";
  return r;
}

JobPrinter::JobPrinter(MemoryLine::End& end) : end_(end) {
  end_.SetRts(true);
  end_.SetDtr(true);
  end_.OnReceive([this] { Receive(); });
}

void JobPrinter::Receive() {
  const std::string bytes = end_.Read(1 << 20);
  received_ += bytes;
  if (!stop_after.empty() && received_.size() >= stop_after.size() &&
      received_.compare(received_.size() - stop_after.size(), stop_after.size(), stop_after) == 0)
    end_.SetRts(false);
  if (silent) return;
  for (const char c : bytes) Take(static_cast<uint8_t>(c));
}

void JobPrinter::Take(uint8_t byte) {
  if (text_block_) {
    if (byte == 3) text_block_ = false;
    return;
  }
  if (record_) {
    record_ = false;
    StatusRecord(byte);
    return;
  }
  if (escape_) {
    escape_ = false;
    Command(byte);
    return;
  }
  if (byte == 27) escape_ = true;
}

void JobPrinter::Command(uint8_t letter) {
  switch (letter) {
    case 0x11:
      Reply(std::string{'F', 'S', static_cast<char>(s1), static_cast<char>(s2), '\xAA'});
      break;
    case 'i':
      Reply("RB490012");
      break;
    case '!':
      record_ = true;
      break;
    case 'I':
      Reply(DeviceRecordBytes(document));
      break;
    case 'Q':
      Reply(journal_text);
      break;
    case 'F':
      text_block_ = true;
      break;
    case 'b':
    case 'B':
    case 'V':
    case 'v':
      document_open_ = true;
      break;
    case 'e':
      if (!document_open_) break;
      document_open_ = false;
      ++receipts;
      if (!no_advance) ++document;
      break;
    case 'd':
      ++closings;
      if (!no_advance) ++document;
      break;
    case 'C':
      Reply(std::string(1, nak_copies ? '\x15' : '\x06'));
      break;
    default:
      break;
  }
}

void JobPrinter::StatusRecord(uint8_t letter) {
  switch (letter) {
    case 'I':
      Reply(Sized(InfoRecord(test_mode)));
      break;
    case 'M':
      Reply(Sized("1"));
      break;
    case 'd':
      Reply(Sized("20\r10\r0\r0\r0\r"));
      break;
    case 'z':
      Reply(Sized("A\rB\r"));
      break;
    default:
      Reply(Sized(status_record));
      break;
  }
}

void JobPrinter::Reply(const std::string& bytes) { end_.Write(bytes); }

}  // namespace kv::test
