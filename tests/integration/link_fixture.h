#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/memory_line.h"
#include "support/print_manager_fixture.h"

namespace kv::test {

// A printer that answers by script: when the bytes received since its last answer end with a
// trigger, it sends the next reply queued for that trigger (the last reply repeats). It keeps
// every byte the program sent. Its RTS and DTR are up, so the program sees CTS and DSR on.
class ScriptedPrinter {
 public:
  ScriptedPrinter(MemoryLine::End& end) : end_(end) {
    end_.SetRts(true);
    end_.SetDtr(true);
    end_.OnReceive([this] { Receive(); });
  }

  // Replies to `trigger`, one per occurrence; `delay_ms` before the reply arrives.
  void On(const std::string& trigger, std::vector<std::string> replies, uint32_t delay_ms = 0) {
    rules_[trigger] = {std::deque<std::string>(replies.begin(), replies.end()), delay_ms};
  }
  void Silence(const std::string& trigger) { rules_.erase(trigger); }

  const std::string& received() const { return received_; }
  void ClearReceived() { received_.clear(); }
  int Count(const std::string& bytes) const {
    int n = 0;
    for (size_t at = received_.find(bytes); at != std::string::npos;
         at = received_.find(bytes, at + 1))
      ++n;
    return n;
  }

 private:
  struct Rule {
    std::deque<std::string> replies;
    uint32_t delay_ms;
  };

  void Receive() {
    const std::string bytes = end_.Read(1 << 20);
    received_ += bytes;
    pending_ += bytes;
    for (auto& [trigger, rule] : rules_) {
      if (pending_.size() < trigger.size() ||
          pending_.compare(pending_.size() - trigger.size(), trigger.size(), trigger) != 0)
        continue;
      pending_.clear();
      const std::string reply = rule.replies.front();
      if (rule.replies.size() > 1) rule.replies.pop_front();
      if (!reply.empty()) end_.Write(reply, rule.delay_ms);
      return;
    }
  }

  MemoryLine::End& end_;
  std::string received_;
  std::string pending_;
  std::map<std::string, Rule> rules_;
};

inline std::string StatusAnswer(uint8_t s1, uint8_t s2) {
  return std::string{'F', 'S', static_cast<char>(s1), static_cast<char>(s2), '\xAA'};
}
// A status record: two length bytes (high first) and the record.
inline std::string StatusRecord(const std::string& record, size_t announced = std::string::npos) {
  const size_t n = announced == std::string::npos ? record.size() : announced;
  return std::string{static_cast<char>(n >> 8), static_cast<char>(n & 0xFF)} + record;
}
// A device record with document number `doc` and the first amount `amount`.
inline std::string DeviceRecordText(int doc, const std::string& amount = "12.50") {
  std::string r("\x01\x02\x03\r\n", 5);
  r += "Doklad " + std::to_string(doc) + "\r\n41\r\n" + amount + "\r\n";
  for (int i = 2; i <= 12; ++i) r += std::to_string(i) + ".00\r\n";
  for (int i = 1; i <= 5; ++i) r += std::to_string(i) + "0.10\r\n";
  r += "06.12.2026\r\n14:30\r\n\x03";
  return r;
}
// An "I" record: serial number 4711, kind P, B, program memory `memory`, test mode `test`.
inline std::string InfoRecordBytes(char memory = 'A', char test = 0, size_t size = 20) {
  std::string r = {'\x00', '\x00', '\x12', '\x67', 'P',    'B',    '\x01', '\x00', '\x01', '\x00',
                   '\x00', test,   memory, '\x00', '\x00', '\x05', '\x00', '\x01', '\x00', '\x02'};
  r.resize(size, '\0');
  return r;
}

// The print manager object on an in-memory line, with its fakes; message n reads "msgN". The
// port list has one entry and the INI's port index points at it.
class LinkTest : public PrintManagerTest {
 protected:
  LinkTest() {
    NumberMessages("msg%d");
    WorkInTempDirOnTheLine();
  }

  // The usual answers of a healthy printer.
  void HealthyPrinter(ScriptedPrinter& printer) {
    printer.On(kStatusQuery, {StatusAnswer(0, 0)});
    printer.On(kIdentify, {"RB490012"});
    printer.On("\x1b!M", {StatusRecord("1")});
    printer.On("\x1b!d", {StatusRecord("20\r10\r0\r0\r0\r")});
    printer.On("\x1b!I", {StatusRecord(InfoRecordBytes())});
    printer.On("\x1bI", {DeviceRecordText(1234)});
  }
};

}  // namespace kv::test
