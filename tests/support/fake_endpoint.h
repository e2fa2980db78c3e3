#pragma once

#include <deque>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/message_endpoint.h"

namespace kv::test {

// A message posted through the endpoint.
struct Posted {
  MessagePeer to;
  uint32_t msg;
  uint32_t code;
  int32_t value;
};

// An endpoint that hands out queued messages and records what is posted.
class FakeEndpoint final : public MessageEndpoint {
 public:
  uint32_t RegisterMessage(std::string_view name) override {
    ++registrations;
    if (failing_registrations > 0) {
      --failing_registrations;
      return 0;
    }
    return MessageNumberForName(name);
  }
  OpenResult Open(std::string_view) override { return OpenResult::Opened; }
  bool IsOpen() const override { return true; }
  int32_t OwnHandle() const override { return 4321; }
  std::optional<MessagePeer> FindWindow(std::string_view) override { return std::nullopt; }
  std::optional<ReceivedMessage> Receive() override {
    if (queue.empty()) return std::nullopt;
    ReceivedMessage m = queue.front();
    queue.pop_front();
    return m;
  }
  bool WaitForMessage(int) override { return !queue.empty(); }
  int NotifyFd() const override { return -1; }
  bool Post(const MessagePeer& to, uint32_t msg, uint32_t wparam, int32_t lparam) override {
    posted.push_back({to, msg, wparam, lparam});
    return peer_alive;
  }

  int registrations = 0;
  int failing_registrations = 0;
  bool peer_alive = true;
  std::deque<ReceivedMessage> queue;
  std::vector<Posted> posted;
};

}  // namespace kv::test
