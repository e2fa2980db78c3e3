#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>

#include "support/fault_table.h"
#include "support/job_fixture.h"
#include "support/text_count.h"

// Every printer fault against every kind of job, with and without questions and with and
// without a client: whatever the printer does, a job ends in bounded time with its document on
// the paper once and reported done, or not on the paper (or cut off by the fault) and reported
// failed with its bytes kept; never twice. Then the next file is taken and printed.
//
// Nobody sees the boxes: each takes its default answer. A lasting fault is mended (the operator
// repairs the printer) a while after the job started; a printer left with an open document is
// ended at the printer before the next file.

namespace kv::test {
namespace {

constexpr uint32_t kMendedAfterMs = 40'000;  // a lasting fault is repaired then
constexpr uint32_t kJobBoundMs = 120'000;    // every job has ended by then

std::string JobBytes(Kind kind) {
  switch (kind) {
    case Kind::Receipt:
      return Receipt();
    case Kind::Closing:
      return Esc('d') + "Yes";
    case Kind::Information:
      return Esc('I');
    case Kind::Status:
      return Esc('\x11');
    case Kind::StatusRecord:
      return Esc('!') + "I";
    case Kind::Copy:
      return Esc('C') + "b1\r101\r";  // the receipt made before the job
  }
  return {};
}

// One cell: a print manager on its own printer, one job under the fault, then the next file.
class Cell : public JobFakes {
 public:
  Cell(const Fault& fault, Kind kind, int msg, bool messaging)
      : fault_(fault), kind_(kind), messaging_(messaging) {
    pm.config().MSG = msg;
    pm.config().spravy = messaging;
    pm.config().rts_cts = true;  // the program watches the printer's ready lines
    boxes.unseen_take_default = true;
    if (kind == Kind::Copy) engine().Receive(Receipt());  // a receipt to copy
    // What an earlier job left: a failed one must not pass it off as its own.
    dir.Write("info.txt", "99\r\n");
    dir.Write("fm_sts.bin", std::string(20, 'x'));
  }

  // Runs the job and returns its outcome; every breach of the invariant is a test failure.
  Outcome Run() {
    const std::string job = JobBytes(kind_);
    const auto& s = engine().state();
    const uint32_t number_before = s.document_number, receipts_before = s.receipt_count,
                   closings_before = s.closing_count;
    const uint64_t opened_before = engine().tally().documents_opened;
    const size_t paper_before = engine().paper().size();

    fault_.apply(engine());
    const uint32_t start = clock.TickCount();
    auto running = std::make_shared<bool>(true);
    if (fault_.lasting)
      clock.At(start + kMendedAfterMs, [this, running] {
        if (*running) Mend();
      });
    clock.At(start + kJobBoundMs, [this, running] {
      if (*running) shell.terminating = true;
    });
    WriteJob(job);
    Tick();
    *running = false;
    EXPECT_FALSE(shell.terminating) << "the job did not end within " << kJobBoundMs << " ms";
    Mend();

    // What happened on the printer.
    const std::string paper = engine().paper().substr(paper_before);
    const uint64_t opened = engine().tally().documents_opened - opened_before;
    const uint32_t receipts = s.receipt_count - receipts_before;
    const uint32_t closings = s.closing_count - closings_before;
    const int copies = Count(paper, "KOPIA");
    EXPECT_LE(opened, 1u) << "a document begun twice";
    EXPECT_LE(closings, 1u) << "closed twice";
    EXPECT_LE(copies, 1) << "copied twice";

    // What the program reported, and where the job's bytes are.
    const bool file_kept = JobFileExists() && dir.Read("blocek.txt") == job;
    const bool set_aside = SetAsideFile() == job;
    const std::string errors = dir.Read("FM_err.txt");
    const bool bytes_kept = file_kept || set_aside || errors.find(job) != std::string::npos;
    const std::string info = dir.Read("info.txt");
    const std::string new_number = std::to_string(s.document_number) + "\r\n";
    int answer = -1;  // the client's answer
    if (messaging_) {
      EXPECT_EQ(notified.size(), 1u) << "one answer to the client per job";
      if (!notified.empty()) answer = notified.back().first == 1 ? notified.back().second : -2;
    } else {
      EXPECT_TRUE(notified.empty());
    }

    bool effect = false, reported_done = false, partial = false;
    switch (kind_) {
      case Kind::Receipt:
        effect = receipts == 1;
        partial = opened == 1 && receipts == 0;
        reported_done = info == new_number && s.document_number == number_before + 1;
        break;
      case Kind::Closing:
        effect = closings == 1;
        reported_done = info == new_number;
        break;
      case Kind::Information:
        reported_done = info == new_number && dir.Exists("esci.txt");
        effect = reported_done;
        break;
      case Kind::Status:
        reported_done = info.rfind("9999\r\n", 0) == 0 && info != "9999\r\n0\r\n";
        effect = reported_done;
        break;
      case Kind::StatusRecord:
        reported_done = dir.Read("fm_sts.bin").find("PB") == 4;
        effect = reported_done;
        break;
      case Kind::Copy:
        effect = copies == 1;
        reported_done =
            !file_kept && !set_aside && errors.find("Neopakuj tlac") == std::string::npos;
        break;
    }
    if (messaging_ && answer != (reported_done ? 1 : 0))
      ADD_FAILURE() << "the client heard " << answer << " where the files say "
                    << (reported_done ? "done" : "failed");
    // A job reported done is gone; a failed one that printed (or may have) keeps its bytes.
    const bool printing = kind_ == Kind::Receipt || kind_ == Kind::Closing || kind_ == Kind::Copy;
    if (reported_done) {
      EXPECT_FALSE(file_kept || set_aside) << "done, yet the file stays";
    } else if (printing) {
      EXPECT_TRUE(bytes_kept) << "failed and its bytes are lost";
      EXPECT_FALSE(errors.empty()) << "failed without a word";
    } else {
      EXPECT_FALSE(kind_ == Kind::StatusRecord && dir.Exists("fm_sts.bin")) << "a stale record";
      EXPECT_TRUE(kind_ != Kind::Information || info.rfind("9999\r\n", 0) == 0) << info;
    }

    Outcome outcome = Outcome::Wrong;
    if (effect && reported_done) outcome = Outcome::Done;
    if (!effect && !reported_done) outcome = Outcome::Failed;
    if (effect && !reported_done && printing) outcome = Outcome::Doubtful;
    EXPECT_TRUE(!partial || outcome == Outcome::Failed) << "cut off, yet reported done";
    NextFileIsTaken(file_kept);
    return outcome;
  }

 private:
  void Mend() {
    engine().faults() = sim::Faults{};
    engine().state().condition1 = engine().state().condition2 = 0;
    engine().RaiseLines();
    engine().PowerOn();
    printer.Pump();
  }

  void NextFileIsTaken(bool file_kept) {
    if (messaging_)
      EXPECT_EQ(notified.size(), 1u) << "the client waits for its answer";
    else
      EXPECT_TRUE(timer_prmgr.Enabled()) << "the timer stays off";
    // Whatever the fault left open on the printer the operator ends there.
    if (engine().DocumentOpen()) engine().CloseDocument();
    if (file_kept) std::filesystem::remove(dir / "blocek.txt");
    const uint32_t receipts_before = engine().state().receipt_count;
    notified.clear();
    WriteJob(Receipt());
    Tick();
    EXPECT_EQ(engine().state().receipt_count, receipts_before + 1) << "the next file";
    EXPECT_FALSE(JobFileExists());
    if (messaging_) {
      EXPECT_EQ(notified, (std::vector<std::pair<int32_t, int32_t>>{{1, 1}}));
    }
  }

  const Fault& fault_;
  Kind kind_;
  bool messaging_;
};

class FaultMatrix : public ::testing::TestWithParam<size_t> {};

TEST_P(FaultMatrix, EveryJobEndsOnceOrReportedFailedAndTheNextFileIsTaken) {
  const Fault& fault = Faults()[GetParam()];
  std::ostringstream table;
  for (Kind kind : kKinds) {
    for (int msg : {1, 0}) {
      for (bool messaging : {false, true}) {
        SCOPED_TRACE(std::string(fault.name) + " x " + kKindNames[static_cast<int>(kind)] +
                     " MSG=" + std::to_string(msg) + (messaging ? " messaging" : ""));
        Cell cell(fault, kind, msg, messaging);
        const Outcome outcome = cell.Run();
        EXPECT_EQ(
            kOutcomeNames[static_cast<int>(outcome)],
            std::string(kOutcomeNames[static_cast<int>(Expected(fault, kind, msg, messaging))]));
        table << kKindNames[static_cast<int>(kind)] << "/" << msg << (messaging ? "m" : "-") << "="
              << kOutcomeNames[static_cast<int>(outcome)] << " ";
      }
    }
  }
  RecordProperty("outcomes", table.str());  // the row of the matrix, in the XML report
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::Range<size_t>(0, Faults().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                           return std::string(Faults()[info.param].name);
                         });

}  // namespace
}  // namespace kv::test
