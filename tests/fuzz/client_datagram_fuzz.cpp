// Client messages: any datagrams, from the registered client, another program or an unbound
// socket, go through the real socket endpoint into the messaging. Every answer is one message
// of the registered number, and it goes only to the socket that registered last.
//
// Input: up to 16 records of one control byte and the datagram's bytes. Control bits 0-1 pick the
// sender, bit 2 makes a print job busy, bit 3 ends the job afterwards; bits 4-7 are the
// datagram: 0 a message of the registered number with the next 8 bytes as code and value,
// n > 0 the next n - 1 bytes as they are.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "core/messaging.h"
#include "fuzz_support.h"
#include "platform/message_endpoint.h"
#include "support/fake_messaging_host.h"

namespace {

constexpr int kSenders = 3;  // two bound client sockets and one unbound

struct Sockets {
  std::unique_ptr<kv::MessageEndpoint> manager;
  std::string manager_path;
  int senders[kSenders] = {-1, -1, -1};
};

int BoundSocket(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) std::abort();
  if (path.empty()) return fd;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) std::abort();
  return fd;
}

Sockets& Setup() {
  static Sockets sockets = [] {
    Sockets s;
    setenv("KV4910_RUNTIME_DIR", kv::fuzz::Scratch().path().c_str(), 1);
    s.manager = kv::CreateMessageEndpoint();
    if (s.manager->Open("KV4910S") != kv::OpenResult::Opened) std::abort();
    s.manager_path = kv::WindowSocketPath("KV4910S");
    s.senders[0] = BoundSocket(kv::fuzz::Scratch() / "client-a.sock");
    s.senders[1] = BoundSocket(kv::fuzz::Scratch() / "client-b.sock");
    s.senders[2] = BoundSocket("");
    return s;
  }();
  return sockets;
}

void Send(int fd, const std::string& to, const unsigned char* bytes, size_t size) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, to.c_str(), sizeof addr.sun_path - 1);
  (void)sendto(fd, bytes, size, 0, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
}

// Takes every answer waiting at a sender; returns how many there were and checks each.
int TakeAnswers(int fd, uint32_t number) {
  int count = 0;
  unsigned char buffer[64];
  for (;;) {
    const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0) return count;
    FUZZ_CHECK(n == static_cast<ssize_t>(kv::kMessageDatagramSize));
    uint32_t msg, code;
    int32_t value;
    kv::DecodeMessage(buffer, msg, code, value);
    FUZZ_CHECK(msg == number);
    ++count;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Sockets& s = Setup();
  while (s.manager->Receive()) {
  }
  for (int fd : s.senders) TakeAnswers(fd, 0);

  kv::Config cfg;
  cfg.spravy = true;
  kv::fuzz::DefaultBoxes boxes;
  kv::test::FakeMessagingHost host;
  kv::Messaging messaging(*s.manager, cfg, host);
  messaging.RegisterAtStartup(boxes, "");
  messaging.StartupFinished();
  const uint32_t number = messaging.registered_message();

  int client = -1;  // the sender that registered last, by what it sent
  size_t pos = 0;
  // A short session: at most 16 datagrams an input.
  for (int n = 0; n < 16 && pos < size; ++n) {
    const uint8_t control = data[pos++];
    const int sender = (control & 3) % kSenders;
    unsigned char datagram[16] = {};
    size_t length = 0;
    if ((control >> 4) == 0) {
      kv::EncodeMessage(number, 0, 0, datagram);
      const size_t n = std::min<size_t>(8, size - pos);
      std::memcpy(datagram + 4, data + pos, n);
      length = kv::kMessageDatagramSize;
      pos += n;
    } else {
      length = std::min<size_t>((control >> 4) - 1, size - pos);
      std::memcpy(datagram, data + pos, length);
      pos += length;
    }
    uint32_t msg = 0, code = 0;
    int32_t value = 0;
    kv::DecodeMessage(datagram, msg, code, value);
    if (length == kv::kMessageDatagramSize && msg == number && code == 0)
      client = value != 0 && sender != 2 ? sender : -1;

    host.busy = (control & 4) != 0;
    Send(s.senders[sender], s.manager_path, datagram, length);
    messaging.ProcessPending();
    if (control & 8) {
      host.busy = false;
      messaging.OnJobFinished();
    }
    for (int i = 0; i < kSenders; ++i) {
      const int answers = TakeAnswers(s.senders[i], number);
      FUZZ_CHECK(answers == 0 || i == client);
    }
  }
  return 0;
}
