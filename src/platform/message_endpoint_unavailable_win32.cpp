#include "platform/message_endpoint.h"

namespace kv {

namespace {

// The Windows build has no window-message endpoint yet: opening fails and says so, and
// nothing is received or posted.
class UnavailableEndpoint final : public MessageEndpoint {
 public:
  uint32_t RegisterMessage(std::string_view) override { return 0; }
  OpenResult Open(std::string_view) override { return OpenResult::Failed; }
  bool IsOpen() const override { return false; }
  std::string Problem() const override {
    return "window messages are not available in this Windows build";
  }
  int32_t OwnHandle() const override { return 0; }
  std::optional<MessagePeer> FindWindow(std::string_view) override { return std::nullopt; }
  std::optional<ReceivedMessage> Receive() override { return std::nullopt; }
  bool WaitForMessage(int) override { return false; }
  int NotifyFd() const override { return -1; }
  bool Post(const MessagePeer&, uint32_t, uint32_t, int32_t) override { return false; }
};

}  // namespace

std::unique_ptr<MessageEndpoint> CreateMessageEndpoint(Clock&) {
  return std::make_unique<UnavailableEndpoint>();
}

std::unique_ptr<MessageEndpoint> CreateMessageEndpoint() {
  return std::make_unique<UnavailableEndpoint>();
}

}  // namespace kv
