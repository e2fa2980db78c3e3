#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "lang/codepage.h"
#include "platform/com_port_backend.h"
#include "support/print_manager_fixture.h"

namespace kv::test {
namespace {

// A device that refuses to open, as the system does for a user outside the device's group.
class RefusingBackend final : public ComBackend {
 public:
  explicit RefusingBackend(int os_error) : os_error_(os_error) {}
  void Open(const std::string&) override { throw EComPort(kComOpenFailed, os_error_); }
  void Close() noexcept override {}
  void SetupBuffers(const TComBuffer&) override {}
  void ApplySettings(const ComLineSettings&) override {}
  void ApplyTimeouts(const TComTimeouts&) override {}
  size_t Write(const char*, size_t) override { return 0; }
  size_t Read(char*, size_t) override { return 0; }
  size_t InputCount() override { return 0; }
  size_t OutputCount() override { return 0; }
  void Purge(bool, bool) override {}
  TComSignals Signals() override { return 0; }
  void SetDTR(bool) override {}
  void SetRTS(bool) override {}
  void StartEvents(TComEvents, std::function<void(TComEvents)>) override {}
  void StopEvents() noexcept override {}
  bool EventsOnOwnThread() const override { return false; }
  bool OutputCountKnown() const override { return true; }

 private:
  int os_error_;
};

// The print manager on a port whose device (a file in the program directory, with `mode`)
// refuses to open with `os_error`.
struct RefusedPort : PrintManagerFakes {
  explicit RefusedPort(int os_error, mode_t mode = 0660)
      : refusing(PrintManagerServices{
            clock, boxes, view, timer_prmgr, timer_msg, shell,
            [os_error] { return std::make_unique<RefusingBackend>(os_error); }}) {
    refusing.SetProgramDir(dir.path());
    dir.Write("ttyS4", "");
    chmod((dir / "ttyS4").c_str(), mode);
    refusing.lang().messages().Slot(139)[0] = 'X';  // message 139 reads "X"
    refusing.link().SetPortNames({dir / "ttyS4"});
    refusing.config().port = 0;
    refusing.SetLocalTime(ShopTime);
  }
  TSRB4900 refusing;
};

TEST(LinkPortAccess, PortWithoutPermissionNamesTheDeviceAndTheGroupThatOpensIt) {
  RefusedPort port(EACCES);
  const std::string device = port.dir / "ttyS4";
  const std::string group = getgrgid(getegid())->gr_name;
  port.boxes.Expect("ttyS4").Expect("");
  EXPECT_EQ(port.refusing.link().InitPort(0), 0);

  const std::string box = port.boxes.shown().at(0).text;
  EXPECT_EQ(box.rfind("X\r\n\r\n", 0), 0u) << box;
  EXPECT_NE(box.find(device), std::string::npos) << box;
  EXPECT_NE(box.find("skupine " + group + ": "), std::string::npos) << box;
  EXPECT_NE(box.find("sudo usermod -aG " + group + " "), std::string::npos) << box;
  const std::string errors = port.dir.Read("FM_err.txt");
  EXPECT_NE(errors.find("Chyba opravnenia: port " + device + " patri skupine " + group + ","),
            std::string::npos)
      << errors;
}

TEST(LinkPortAccess, DeviceOnlyItsOwnerMayOpenNamesTheOwnerNotAGroup) {
  RefusedPort port(EACCES, 0600);
  const std::string device = port.dir / "ttyS4";
  const std::string owner = getpwuid(geteuid())->pw_name;
  port.boxes.Expect("ttyS4").Expect("");
  EXPECT_EQ(port.refusing.link().InitPort(0), 0);
  EXPECT_NE(port.boxes.shown().at(0).text.find(
                Utf8ToCp1250("Zariadenie môže otvoriť len jeho vlastník " + owner + ".")),
            std::string::npos);
  EXPECT_NE(port.dir.Read("FM_err.txt")
                .find("Chyba opravnenia: port " + device + " moze otvorit len jeho vlastnik " +
                      owner + " \r\n"),
            std::string::npos)
      << port.dir.Read("FM_err.txt");
}

TEST(LinkPortAccess, OtherOpenFailuresKeepTheUsualMessage) {
  RefusedPort port(EBUSY);
  port.boxes.Expect("X").Expect("");
  EXPECT_EQ(port.refusing.link().InitPort(0), 0);
  EXPECT_EQ(port.boxes.shown().at(0).text, "X");
  EXPECT_EQ(port.dir.Read("FM_err.txt").find("opravnenia"), std::string::npos);
}

}  // namespace
}  // namespace kv::test
