// The print manager as a POS program meets it: the real kv4910 against kv4910-sim on a
// pseudo-terminal, fed through the input file and through kv4910-client.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <string>
#include <thread>

#include "platform/message_endpoint.h"
#include "support/child_process.h"
#include "support/temp_dir.h"
#include "support/escape_text.h"

namespace kv {
namespace {

using test::BuildProgram;
using test::ChildProcess;
using test::WaitFor;

using test::E;

std::string SampleReceipt() {
  return E + "b" + "Rozky          \r\n    4.00 x     0.12  " + E + "1       0.48 EUR\r\n" +
         E + "k        0.48 EUR\r\n" + E + "P1        0.48\r\n" + E + "e";
}

// A shop: a printer simulator and the print manager with its program directory.
class Shop : public ::testing::Test {
 protected:
  void Start(const std::string& extra_ini = {}) {
    sim_ = std::make_unique<ChildProcess>(BuildProgram("kv4910-sim"),
                                          std::vector<std::string>{"--paper", home_ / "paper.txt"});
    const auto pty = sim_->ReadLine(5000);
    ASSERT_TRUE(pty && !pty->empty()) << "the simulator did not start";
    pty_ = *pty;
    home_.Write("rb4900_cfg.ini",
                "[CONFIG]\r\nport=0\r\nopozdenie=0\r\ndelay_file=100\r\n" + extra_ini);
    manager_ = StartManager();
    ASSERT_TRUE(WaitFor([&] { return home_.Exists("kv4910-KV4910S.sock"); }, 10000))
        << "the print manager did not start";
  }

  // With client messages on, the first print-job tick (a second after connecting) reports
  // (1, 0) to the registered client when it finds no file, and then leaves the timer off until
  // a client asks for a print. Waiting for it keeps it from taking a file meant for a request.
  void AwaitFirstTick() {
    setenv("KV4910_RUNTIME_DIR", home_.path().c_str(), 1);
    auto watcher = CreateMessageEndpoint();
    ASSERT_EQ(watcher->Open("e2e-watcher"), OpenResult::Opened);
    const auto manager = watcher->FindWindow("KV4910S");
    ASSERT_TRUE(manager);
    const uint32_t number = watcher->RegisterMessage("KV4910");
    watcher->Post(*manager, number, 0, static_cast<int32_t>(getpid()));
    // Registered after the tick had already come, nothing arrives: the limit ends the wait.
    WaitFor(
        [&] {
          watcher->WaitForMessage(50);
          while (auto m = watcher->Receive())
            if (m->msg == number && m->wparam == 1) return true;
          return false;
        },
        10000);
    watcher->Post(*manager, number, 0, 0);
    unsetenv("KV4910_RUNTIME_DIR");
  }

  // Without client messages: a file found before start-up has ended is a leftover file, which
  // a program without a screen sets aside instead of printing. A status-query file that has
  // gone (set aside by start-up, or taken by a job) shows that start-up is over.
  void AwaitStartupEnd() {
    DropReceipt(E + "\x11");
    ASSERT_TRUE(WaitFor([&] { return !home_.Exists("blocek.txt"); }, 30000));
  }

  std::unique_ptr<ChildProcess> StartManager() {
    return std::make_unique<ChildProcess>(
        BuildProgram("kv4910"), std::vector<std::string>{},
        std::map<std::string, std::string>{{"KV4910_HOME", home_.path()},
                                           {"KV4910_RUNTIME_DIR", home_.path()},
                                           {"KV4910_PORTS", pty_},
                                           {"QT_QPA_PLATFORM", "offscreen"}});
  }

  // Writes the input file the way a POS program should: complete, then renamed into place.
  void DropReceipt(const std::string& bytes) {
    home_.Write("blocek.part", bytes);
    std::filesystem::rename(home_ / "blocek.part", home_ / "blocek.txt");
  }

  // Runs kv4910-client with `args`; its output lines.
  std::vector<std::string> Client(const std::vector<std::string>& args, int* exit_code) {
    ChildProcess client(BuildProgram("kv4910-client"), args,
                        {{"KV4910_RUNTIME_DIR", home_.path()}});
    std::vector<std::string> lines;
    while (auto line = client.ReadLine(15000)) lines.push_back(*line);
    *exit_code = client.Wait(15000).value_or(-99);
    return lines;
  }

  test::TempDir home_;
  std::string pty_;
  std::unique_ptr<ChildProcess> sim_;
  std::unique_ptr<ChildProcess> manager_;
};

TEST_F(Shop, ReceiptFileIsPrintedFromItsFirstEscapeReportedAndRemoved) {
  Start();
  AwaitStartupEnd();
  DropReceipt("text of the POS program before the commands\r\n" + SampleReceipt());
  ASSERT_TRUE(WaitFor([&] { return !home_.Exists("blocek.txt"); }, 30000))
      << "the input file was not taken";

  const std::string info = home_.Read("info.txt");
  EXPECT_TRUE(std::regex_match(info, std::regex("[0-9]+\r\n"))) << info;
  const std::string record = home_.Read("info.ful");
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(record.back(), '\x03');  // the raw device record ends with ETX
  const std::string paper = home_.Read("paper.txt");
  EXPECT_NE(paper.find("Rozky"), std::string::npos) << paper;
  EXPECT_EQ(paper.find("text of the POS program"), std::string::npos);
  EXPECT_EQ(home_.Read("FM_err.txt").find("Neopakuj"), std::string::npos);

  // A second receipt gets the next document number.
  const long first = std::stol(info);
  DropReceipt(SampleReceipt());
  ASSERT_TRUE(WaitFor([&] { return !home_.Exists("blocek.txt"); }, 30000));
  EXPECT_EQ(std::stol(home_.Read("info.txt")), first + 1);
  EXPECT_EQ(manager_->Stop(), 0);
}

TEST_F(Shop, ClientSessionRegistersPrintsAsksAndIsEchoed) {
  Start("[SPRAVY]\r\nspravy=1\r\n");
  AwaitFirstTick();
  int code = -1;
  EXPECT_EQ(Client({"register"}, &code), (std::vector<std::string>{"0 0"}));
  EXPECT_EQ(code, 0);

  const auto status = Client({"status"}, &code);
  ASSERT_EQ(status.size(), 2u);
  EXPECT_EQ(status[0], "0 0");
  EXPECT_TRUE(std::regex_match(status[1], std::regex("3 [1-9][0-9]*"))) << status[1];

  EXPECT_EQ(Client({"info"}, &code), (std::vector<std::string>{"0 0", "2 1"}));
  EXPECT_TRUE(home_.Exists("info.txt"));

  DropReceipt(SampleReceipt());
  EXPECT_EQ(Client({"print"}, &code), (std::vector<std::string>{"0 0", "1 1"}));
  EXPECT_EQ(code, 0);
  EXPECT_FALSE(home_.Exists("blocek.txt"));
  EXPECT_TRUE(std::regex_match(home_.Read("info.txt"), std::regex("[0-9]+\r\n")));

  EXPECT_EQ(Client({"send", "7", "123"}, &code), (std::vector<std::string>{"0 0", "7 0"}));
  EXPECT_EQ(manager_->Stop(), 0);
}

TEST_F(Shop, TerminateMarkerEndsTheProgram) {
  Start();
  home_.Write("terminate", "");
  const auto code = manager_->Wait(10000);
  ASSERT_TRUE(code.has_value()) << "still running";
  EXPECT_EQ(*code, 0);
  EXPECT_FALSE(home_.Exists("terminate"));
  EXPECT_NE(home_.Read("FM_err.txt").find("Terminate"), std::string::npos);
}

TEST_F(Shop, SecondInstanceQuitsAndTheFirstKeepsServing) {
  Start("[SPRAVY]\r\nspravy=1\r\n");
  auto second = StartManager();
  const auto code = second->Wait(10000);
  ASSERT_TRUE(code.has_value()) << "the second instance did not quit";
  EXPECT_EQ(*code, 0);
  EXPECT_TRUE(manager_->Running());
  int client_code = -1;
  const auto status = Client({"status"}, &client_code);
  // A client registered before the first instance's first tick also hears that tick's job
  // answer "1 0" between the two it asked for.
  ASSERT_GE(status.size(), 2u);
  EXPECT_EQ(status.front(), "0 0");
  EXPECT_EQ(status.back().rfind("3 ", 0), 0u) << status.back();
  EXPECT_EQ(client_code, 0);
}

}  // namespace
}  // namespace kv
