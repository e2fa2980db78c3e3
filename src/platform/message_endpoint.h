#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace kv {

// Where a message can be posted. On Windows `handle` is the window handle and `address` is
// unused; on Linux `address` is the socket path the peer sends from and `handle` is only the
// number the peer gave when it registered (for the log).
struct MessagePeer {
  int32_t handle = 0;
  std::string address;
};

// One message as both sides exchange it: the registered message number, wParam and lParam,
// and where it came from (Linux: the sender's socket path, empty for an unbound sender).
struct ReceivedMessage {
  uint32_t msg = 0;
  uint32_t wparam = 0;
  int32_t lparam = 0;
  std::string from;
};

enum class OpenResult {
  Opened,          // this process now owns the window with that title
  AlreadyRunning,  // another live process owns it
  Failed           // the window could not be created (Problem() says why)
};

// The application's window as other programs see it: it has a title others find it by, it
// receives posted messages and posts messages to other windows. Windows fills it with a hidden
// top-level window and registered window messages; Linux with a Unix datagram socket.
class MessageEndpoint {
 public:
  virtual ~MessageEndpoint() = default;

  // The number the system gives a message name; the same in every process. 0 = failure.
  virtual uint32_t RegisterMessage(std::string_view name) = 0;

  // Creates this process's window with the given title. At most one process owns a title, so
  // this is also the single-instance check.
  virtual OpenResult Open(std::string_view title) = 0;
  virtual bool IsOpen() const = 0;
  // Why the last Open failed, in words for the error file or the console; empty when it did not.
  virtual std::string Problem() const { return {}; }
  // This window's own handle (the "H:" of the message log).
  virtual int32_t OwnHandle() const = 0;

  // The live window with that title, if any.
  virtual std::optional<MessagePeer> FindWindow(std::string_view title) = 0;

  // The next pending message, without waiting; nothing when none is pending. A message another
  // user sent is dropped: only programs of the same user talk to each other.
  virtual std::optional<ReceivedMessage> Receive() = 0;
  // Waits at most `timeout_ms` for a message to become pending.
  virtual bool WaitForMessage(int timeout_ms) = 0;
  // What the application's event loop watches for pending messages (-1: nothing to watch).
  virtual int NotifyFd() const = 0;

  // Posts a message without waiting. False when the peer is gone or its queue is full; the
  // caller may ignore it.
  virtual bool Post(const MessagePeer& to, uint32_t msg, uint32_t wparam, int32_t lparam) = 0;

  // Takes the system's own messages to this program's window, leaving the clients' queued, and
  // tells whether the system asked the program to end: on Windows the window was closed
  // (WM_CLOSE), the thread told to quit (WM_QUIT) or the session ends (WM_ENDSESSION). The Linux
  // endpoint has no such requests (signals stand for them).
  virtual bool EndRequested() { return false; }
};

// The endpoint of this platform. Its waits (at most a few seconds for another program that is
// creating its window at the same moment) poll `clock`; without one, the system's clock.
std::unique_ptr<MessageEndpoint> CreateMessageEndpoint(Clock& clock);
std::unique_ptr<MessageEndpoint> CreateMessageEndpoint();

// Where the window with that title is, as words for a message: " at <socket path>" on Linux;
// empty on Windows, where the title alone finds it.
std::string WindowPlaceText(std::string_view title);

// ---- the Linux rules, usable by any program that talks to the print manager ------------------

// 0xC000 + FNV-1a 32-bit hash of the name in ASCII lower case, modulo 0x4000; 0 for "".
uint32_t MessageNumberForName(std::string_view name);
// The title with every character outside A-Za-z0-9._- replaced by '_'.
std::string SanitizeWindowTitle(std::string_view title);
// KV4910_RUNTIME_DIR, else XDG_RUNTIME_DIR, else the private per-user directory
// /tmp/kv4910-<uid> (empty values count as unset).
std::string MessageRuntimeDir();
// Makes the runtime directory ready before a socket is created in it: the per-user directory is
// created (0700) when it is missing. Whichever it is, it must be a directory owned by this user
// that no other user can write (the per-user one must also not be a symbolic link). False, with
// the reason in `problem`, when it is not.
bool PrepareMessageRuntimeDir(std::string& problem);
// <runtime dir>/kv4910-<sanitised title>.sock
std::string WindowSocketPath(std::string_view title);

// A message is exactly 12 bytes on the wire, little-endian: uint32 msg, uint32 wParam,
// int32 lParam.
inline constexpr size_t kMessageDatagramSize = 12;
void EncodeMessage(uint32_t msg, uint32_t wparam, int32_t lparam, unsigned char* out);
void DecodeMessage(const unsigned char* in, uint32_t& msg, uint32_t& wparam, int32_t& lparam);

}  // namespace kv
