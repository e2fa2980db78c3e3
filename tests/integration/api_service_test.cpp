// The HTTP interface's queue on the print manager and the in-process simulator: a request that
// finds the printer held waits its bounded turn, a key still being served is refused, and a
// request answered busy sent nothing, so its retry is served.
#include "api/api_service.h"

#include <gtest/gtest.h>

#include <optional>

#include "api/api_printer.h"
#include "api/idempotency_store.h"
#include "sim/line_printer.h"
#include "support/fake_timer.h"
#include "support/print_manager_fixture.h"

namespace kv {
namespace {

class ApiServiceTest : public ::testing::Test, public test::PrintManagerFakes {
 protected:
  ApiServiceTest() {
    NumberMessages("msg%d");
    WorkInTempDirOnTheLine();
    settings.enabled = true;
    settings.token = "secret";
    printer.SetScheduler(
        [this](uint32_t tick, std::function<void()> action) { clock.At(tick, std::move(action)); });
  }

  // Submits a POST /reports/x and keeps its answer once it comes.
  void PostXReport(std::optional<ApiAnswer>& answer, const char* key) {
    ApiRequest request{"POST", "/api/v1/reports/x", "Bearer secret", std::string(key), "", false};
    service.Submit(request, [&answer](const ApiAnswer& a) { answer = a; });
  }
  // Runs the retry timer until `ms` of fake time have passed.
  void RetryFor(uint32_t ms) {
    for (uint32_t waited = 0; waited < ms; waited += ApiService::kRetryMs) {
      clock.Advance(ApiService::kRetryMs);
      service.RetryTick();
    }
  }

  sim::LinePrinter printer{line};
  HttpSettings settings;
  ApiPrinter api_printer{pm};
  IdempotencyStore store{dir / "http_keys.txt", [] { return int64_t{1'800'000'000}; }};
  test::FakeTimer retry;
  ApiService service{{settings, pm.config(), pm.link(), api_printer, store, retry, clock,
                      [this](int n) { return pm.Msg(n); }}};
};

TEST_F(ApiServiceTest, HeldPrinterIsWaitedForFiveSecondsThenBusyAndTheRetryIsServed) {
  std::optional<ApiAnswer> first, twin;
  {
    const auto till = pm.link().TryLease("till");
    ASSERT_TRUE(till);
    PostXReport(first, "key-1");
    EXPECT_FALSE(first);  // waiting its turn
    PostXReport(twin, "key-1");
    ASSERT_TRUE(twin);
    EXPECT_EQ(twin->status, 409);  // the same key is still being served

    RetryFor(ApiService::kLeaseWaitMs - 2 * ApiService::kRetryMs);
    EXPECT_FALSE(first);
    RetryFor(4 * ApiService::kRetryMs);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->status, 409);
    EXPECT_EQ(service.Pending(), 0u);
  }
  EXPECT_EQ(printer.engine().paper().find("X-UZAVIERKA"), std::string::npos);

  // Nothing was sent, so the same key may try again once the printer is free.
  std::optional<ApiAnswer> retried;
  PostXReport(retried, "key-1");
  RetryFor(10 * ApiService::kRetryMs);
  clock.Advance(5000);
  ASSERT_TRUE(retried);
  EXPECT_EQ(retried->status, 200) << retried->Text();
  EXPECT_NE(printer.engine().paper().find("X-UZAVIERKA"), std::string::npos);
}

}  // namespace
}  // namespace kv
