// One receipt, made from its JSON by the till's writer, printed once as a file the client waits
// for and once as POST /receipts, each by its own print manager on its own printer under the
// same fault, which nobody mends: the printers take the same bytes and both ways judge the
// receipt alike, as the fault table says where its outcome does not wait for a repair.
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "api/api_requests.h"
#include "register/till_messages.h"
#include "settings/setup_commands.h"
#include "support/api_fixture.h"
#include "support/fault_table.h"
#include "support/job_fixture.h"

namespace kv::test {
namespace {

constexpr uint32_t kJobBoundMs = 120'000;
constexpr const char* kBody =
    R"({"items":[{"name":"Tovar","vatLevel":1,"quantity":1.5,"unitPrice":0.99}],)"
    R"("payments":[{"tender":1,"amount":5}]})";

// A print manager on its own printer under the fault, nobody at the boxes.
class Side : public JobFakes {
 public:
  explicit Side(const Fault& fault) {
    pm.config().MSG = 0;
    pm.config().rts_cts = true;
    boxes.unseen_take_default = true;
    receipts_before_ = engine().state().receipt_count;
    fault.apply(engine());
    clock.At(clock.TickCount() + kJobBoundMs, [this] { shell.terminating = true; });
  }
  Outcome Judged(bool confirmed) {
    const bool printed = engine().state().receipt_count == receipts_before_ + 1;
    if (confirmed) return printed ? Outcome::Done : Outcome::Wrong;
    return printed ? Outcome::Doubtful : Outcome::Failed;
  }

 private:
  uint32_t receipts_before_ = 0;
};

// The faults whose receipt outcome does not wait for the operator to mend the printer.
std::vector<size_t> UnattendedFaults() {
  std::vector<size_t> faults;
  for (size_t i = 0; i < Faults().size(); ++i)
    if (!Faults()[i].lasting || Faults()[i].by_kind[0] != 'D') faults.push_back(i);
  return faults;
}

class SendPath : public ::testing::TestWithParam<size_t> {};

TEST_P(SendPath, TheSameReceiptAsAFileAndOverHttpGoesOutAlikeAndIsJudgedAlike) {
  const Fault& fault = Faults()[GetParam()];
  Side http(fault);
  ApiOnPrintManager api(http);
  const auto text = BuildReceiptText(std::get<ReceiptRequest>(ParseReceipt(kBody)),
                                     kActiveCurrencies[0], http.pm.Msg(kMsgDiscountName));
  const std::string bytes = std::get<ReceiptText>(text).bytes;
  const ApiAnswer answer = api.Post("/receipts", kBody);

  Side file(fault);
  file.pm.config().spravy = true;  // the client waits for the verdict
  file.WriteJob(bytes);
  file.Tick();

  EXPECT_EQ(file.Wire(), http.Wire());
  const Outcome by_file =
      file.Judged(file.notified == std::vector<std::pair<int32_t, int32_t>>{{1, 1}});
  const Outcome by_http = http.Judged(answer.status == 200);
  EXPECT_STREQ(kOutcomeNames[static_cast<int>(by_file)], kOutcomeNames[static_cast<int>(by_http)])
      << answer.Text();
  EXPECT_STREQ(kOutcomeNames[static_cast<int>(by_file)],
               kOutcomeNames[static_cast<int>(Expected(fault, Kind::Receipt, 0, true))]);
}

INSTANTIATE_TEST_SUITE_P(Faults, SendPath, ::testing::ValuesIn(UnattendedFaults()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                           return std::string(Faults()[info.param].name);
                         });

}  // namespace
}  // namespace kv::test
