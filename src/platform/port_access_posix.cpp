#include "platform/port_access.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/serial_posix.h"

namespace kv {

std::optional<PortAccessDenied> PortAccessDeniedBy(const std::string& port, int os_error) {
  if (os_error != EACCES && os_error != EPERM) return std::nullopt;
  PortAccessDenied denied;
  denied.device = DevicePathOf(port);
  struct stat st {};
  if (::stat(denied.device.c_str(), &st) != 0) return std::nullopt;
  const group* owning_group = ::getgrgid(st.st_gid);
  denied.group =
      owning_group && owning_group->gr_name ? owning_group->gr_name : std::to_string(st.st_gid);
  const passwd* user = ::getpwuid(::getuid());
  denied.user = user && user->pw_name ? user->pw_name : std::to_string(::getuid());
  const passwd* owner = ::getpwuid(st.st_uid);
  denied.owner = owner && owner->pw_name ? owner->pw_name : std::to_string(st.st_uid);
  denied.group_may_open = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  return denied;
}

}  // namespace kv
