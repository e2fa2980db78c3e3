#include "platform/port_enum.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "platform/com_port_types.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

// Sets or removes KV4910_PORTS for one test and puts the old value back.
class PortsVariable {
 public:
  explicit PortsVariable(const char* value) {
    if (const char* old = std::getenv("KV4910_PORTS")) old_ = old;
    if (value)
      ::setenv("KV4910_PORTS", value, 1);
    else
      ::unsetenv("KV4910_PORTS");
  }
  ~PortsVariable() {
    if (old_)
      ::setenv("KV4910_PORTS", old_->c_str(), 1);
    else
      ::unsetenv("KV4910_PORTS");
  }

 private:
  std::optional<std::string> old_;
};

TEST(EnumComPorts, TheVariableIsTheListSortedWhateverItsOrder) {
  PortsVariable ports("/dev/pts/7:/dev/ttyUSB1::/dev/ttyACM0:/dev/pts/12");
  EXPECT_EQ(EnumComPorts(), (std::vector<std::string>{"/dev/pts/12", "/dev/pts/7", "/dev/ttyACM0",
                                                      "/dev/ttyUSB1"}));
  PortsVariable empty("");
  EXPECT_TRUE(EnumComPorts().empty());
}

TEST(EnumComPorts, WithoutTheVariableOnlyExistingCharacterDevicesAreListed) {
  PortsVariable unset(nullptr);
  const std::vector<std::string> ports = EnumComPorts();
  EXPECT_TRUE(std::is_sorted(ports.begin(), ports.end()));
  for (const std::string& port : ports) {
    struct stat info {};
    ASSERT_EQ(::stat(port.c_str(), &info), 0) << port;
    EXPECT_TRUE(S_ISCHR(info.st_mode)) << port;
    EXPECT_EQ(port.rfind("/dev/", 0), 0u) << port;
  }
}

// A made-up tty class directory whose names are real character devices of /dev, so the
// filters can be seen at work without serial hardware.
TEST(EnumComPorts, EntriesWithoutADeviceOrWithoutAUartAreLeftOut) {
  test::TempDir sys;
  auto add = [&](const std::string& name, bool device, const char* type) {
    ASSERT_EQ(::mkdir((sys / name).c_str(), 0755), 0);
    if (device) {
      ASSERT_EQ(::mkdir((sys / (name + "/device")).c_str(), 0755), 0);
    }
    if (type) sys.Write(name + "/type", type);
  };
  add("zero", true, "4\n");           // a UART answered: listed
  add("null", true, nullptr);         // no serial-core type (a USB adapter): listed
  add("full", false, nullptr);        // nothing behind it (like a virtual terminal): left out
  add("random", true, "0\n");         // legacy entry with no UART: left out
  add("kv4910-gone", true, nullptr);  // no node in /dev: left out
  EXPECT_EQ(SerialDevicesIn(sys.path(), "/dev"),
            (std::vector<std::string>{"/dev/null", "/dev/zero"}));
}

TEST(EnumComPorts, AnUnreadableListRaisesCode23) {
  try {
    SerialDevicesIn("/nonexistent/kv4910/tty", "/dev");
    FAIL() << "no error";
  } catch (const EComPort& error) {
    EXPECT_EQ(error.Code(), 23);
    EXPECT_EQ(error.WinCode(), ENOENT);
  }
}

}  // namespace
}  // namespace kv
