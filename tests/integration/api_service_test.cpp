// The HTTP interface's queue on the print manager and the in-process simulator: a request that
// finds the printer held waits its bounded turn, a key still being served is refused, and a
// request answered busy sent nothing, so its retry is served.
#include "api/api_service.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <vector>

#include "register/money.h"
#include "sim/line_printer.h"
#include "support/api_fixture.h"

namespace kv {
namespace {

class ApiServiceTest : public ::testing::Test, public test::PrintManagerFakes {
 protected:
  ApiServiceTest() {
    NumberMessages("msg%d");
    WorkInTempDirOnTheLine();
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
  test::ApiOnPrintManager api{*this};
  ApiService& service = api.service;
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


// The figures of a receipt on the simulator's paper: its total and its payment lines.
struct Paper {
  std::string total;
  std::vector<std::string> payments;
  bool change = false;  // a change line: the payments did not settle the total
};
Paper ReadPaper(const std::string& paper) {
  Paper read;
  std::istringstream lines(paper);
  for (std::string line; std::getline(lines, line);) {
    const auto figure = [&line] {
      const size_t start = line.find_first_not_of(' ', line.find(' '));
      return line.substr(start, line.find(' ', start) - start);
    };
    if (line.rfind("CELKOM", 0) == 0) read.total = figure();
    if (line.rfind("PLATBA", 0) == 0) read.payments.push_back(line.substr(line.find_last_of(' ') + 1));
    if (line.rfind("VYDAVOK", 0) == 0) read.change = true;
  }
  return read;
}

std::string Item(const char* quantity, const char* price, const char* extra = "") {
  return std::string(R"({"name":"Tovar","vatLevel":1,"quantity":)") + quantity +
         R"(,"unitPrice":)" + price + extra + "}";
}

TEST_F(ApiServiceTest, ReceiptTotalsAnsweredAndPrintedAgreeToTheCent) {
  std::string thousand_lines;
  for (int i = 0; i < 1000; ++i) thousand_lines += (i ? "," : "") + Item("1", "19.99");
  struct Case {
    std::string items;
    std::string payments;
    int status;
    const char* total;  // as answered
    std::vector<std::string> paid;  // the payment lines on paper
  } cases[] = {
      {Item("1.5", "0.99"), "", 200, "1.49", {"1.49"}},
      {Item("0.5", "1.99"), "", 200, "1.0", {"1.00"}},
      {Item("100", "12345.67"), "", 200, "1234567.0", {"1234567.00"}},
      {Item("1000", "19.99"), R"([{"tender":1,"amount":20000}])", 200, "19990.0", {"19990.00"}},
      {thousand_lines, "", 200, "19990.0", {"19990.00"}},
      {Item("1.5", "0.99") + "," + Item("1", "150000.01"), R"([{"tender":1,"amount":200000}])",
       200, "150001.5", {"150001.50"}},
      {Item("1", "131072.01"), "", 200, "131072.01", {"131072.01"}},
      {Item("2", "1.25"), "", 200, "2.5", {"2.50"}},
      {Item("1", "2.99", R"(,"discountPercent":15)"), "", 200, "2.54", {"2.54"}},
      {Item("0.07", "1") + "," + Item("1", "1"), R"([{"tender":1,"amount":0.01},{"tender":2,"amount":1.06}])",
       200, "1.07", {"0.01", "1.06"}},
      {Item("1", "5", R"(,"kind":"void")"), "", 200, "-5.0", {"-5.00"}},
      // The limits, and one cent over each.
      {Item("99999.999", "0.01"), "", 200, "1000.0", {"1000.00"}},
      {Item("10.021", "997904.40"), "", 200, "9999999.99", {"9999999.99"}},
      {Item("10.001", "999900.01"), "", 422, "", {}},
      {Item("1", "999999.99"), "", 200, "999999.99", {"999999.99"}},
      {Item("1", "1000000.00"), "", 422, "", {}},
      {Item("1", "999999.991"), "", 422, "", {}},
      {Item("100000", "1"), "", 422, "", {}},
      {Item("1", "1"), R"([{"tender":1,"amount":0.995}])", 422, "", {}},
  };
  for (const Case& c : cases) {
    const std::string body = R"({"items":[)" + c.items + "]" +
                             (c.payments.empty() ? "" : R"(,"payments":)" + c.payments) + "}";
    const std::string what = body.substr(0, 160);
    const ApiAnswer answer = api.Post("/receipts", body);
    ASSERT_EQ(answer.status, c.status) << what << "\n" << answer.Text();
    const Paper paper = ReadPaper(printer.engine().TakePaper());
    if (c.status != 200) {
      EXPECT_EQ(paper.total, "") << what;  // nothing printed
      continue;
    }
    EXPECT_EQ(answer.body["total"].dump(), c.total) << what;
    EXPECT_EQ(paper.total, FormatCents(ParseFixedPoint(c.total, 2, kMaxAmountCents).value, 0))
        << what;
    EXPECT_EQ(paper.payments, c.paid) << what;
    EXPECT_FALSE(paper.change) << what;
  }
}

TEST_F(ApiServiceTest, CashNeedsAnAmountOfAtLeastOneCent) {
  const struct {
    const char* payments;
    int status;
  } cases[] = {
      {"[]", 422},
      {R"([{"tender":1,"amount":0.004}])", 422},
      {R"([{"tender":1,"amount":0}])", 422},
      {R"([{"tender":1,"amount":-5}])", 422},
      {R"([{"tender":3,"amount":150000.01}])", 200},
  };
  for (const auto& c : cases) {
    const ApiAnswer answer =
        api.Post("/cash", std::string(R"({"direction":"deposit","payments":)") + c.payments + "}");
    EXPECT_EQ(answer.status, c.status) << c.payments << " " << answer.Text();
    const std::string paper = printer.engine().TakePaper();
    EXPECT_EQ(paper.find("PLATBA 3 ") != std::string::npos, c.status == 200) << c.payments;
    if (c.status == 200) EXPECT_NE(paper.find("150000.01"), std::string::npos);
    else EXPECT_EQ(paper, "") << c.payments;
  }
}

}  // namespace
}  // namespace kv
