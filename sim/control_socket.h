#pragma once

#include <poll.h>
#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kv::sim {

// A Unix stream socket that takes text commands, one a line, and answers each with one line
// (kv4910-sim's control channel). It has no loop of its own: the server waits on the
// descriptors it adds and hands back the ready ones. The socket file is created 0600 and
// removed when the object goes.
class ControlSocket {
 public:
  using Handler = std::function<std::string(std::string_view line)>;

  explicit ControlSocket(Handler handler) : handler_(std::move(handler)) {}
  ~ControlSocket();
  ControlSocket(const ControlSocket&) = delete;
  ControlSocket& operator=(const ControlSocket&) = delete;

  // Listens at `path`. A socket file that nobody serves any more is replaced; a live one, or
  // a file that is not a socket, is an error.
  bool Open(const std::string& path, std::string* error);

  // Appends the descriptors to wait on; Serve takes the same entries back after the wait.
  void AddFds(std::vector<pollfd>& fds) const;
  // Accepts, reads, runs complete lines and writes answers. True when a command ran.
  bool Serve(const pollfd* fds, size_t count);

 private:
  struct Client {
    int fd;
    std::string in, out;
    bool skipping = false;  // dropping the rest of a line that was too long
  };
  void Accept();
  bool Read(Client& client);
  void Write(Client& client);

  Handler handler_;
  int listen_fd_ = -1;
  std::string path_;
  dev_t dev_ = 0;
  ino_t ino_ = 0;
  std::vector<Client> clients_;
};

}  // namespace kv::sim
