// The custom-rate interface needs the kernel's own termios definitions, which clash with the C
// library's <termios.h>; this file keeps them apart.
#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <cerrno>
#include <cstdint>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace kv {

int SetCustomLineSpeed(int fd, uint32_t bits_per_second) {
  termios2 tio{};
  if (ioctl(fd, TCGETS2, &tio) != 0) return errno;
  tio.c_cflag &= ~CBAUD;
  tio.c_cflag |= BOTHER;
  tio.c_cflag &= ~(CBAUD << IBSHIFT);
  tio.c_cflag |= BOTHER << IBSHIFT;
  tio.c_ispeed = bits_per_second;
  tio.c_ospeed = bits_per_second;
  if (ioctl(fd, TCSETS2, &tio) != 0) return errno;
  // A driver may settle on the nearest speed its clock divides to: accept 2 %, refuse more.
  if (ioctl(fd, TCGETS2, &tio) != 0) return errno;
  const int64_t diff = int64_t{tio.c_ospeed} - int64_t{bits_per_second};
  if ((diff < 0 ? -diff : diff) * 50 > int64_t{bits_per_second}) return EINVAL;
  return 0;
}

}  // namespace kv
