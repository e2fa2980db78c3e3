#pragma once

#include <optional>
#include <string>

namespace kv {

// A serial device this user may not open, and the group whose members may.
struct PortAccessDenied {
  std::string device;          // the device's path
  std::string group;           // the group that owns the device (its number when it has no name)
  std::string user;            // the name of the user running the program
  std::string owner;           // the user that owns the device
  bool group_may_open = true;  // the group has read and write permission: joining it helps
};

// When `os_error`, the error of opening `port`, says the user lacks the permission: the device
// and its group. Nothing for any other error.
std::optional<PortAccessDenied> PortAccessDeniedBy(const std::string& port, int os_error);

}  // namespace kv
