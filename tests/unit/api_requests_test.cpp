// The HTTP interface's request bodies: what is refused and how, and the receipt bytes.
#include <gtest/gtest.h>

#include <string>

#include "api/api_requests.h"
#include "support/escape_text.h"

namespace kv {
namespace {

using test::E;
// "Zľava" in cp1250, as message 69 holds it.
const std::string kDiscountLabel = "Z\xbe" "ava";

int StatusOf(const Checked<ReceiptRequest>& parsed) {
  if (const auto* refused = std::get_if<ApiAnswer>(&parsed)) return refused->status;
  return 200;
}

struct BodyCase {
  const char* body;
  int status;
};

TEST(ApiRequests, ReceiptBodiesAreRefusedWithTheRightStatus) {
  const BodyCase cases[] = {
      {"not json", 400},
      {"[1,2]", 400},
      {R"({"items":[]})", 400},
      {R"({"items":[{"name":"A","quantity":1,"unitPrice":1}]})", 400},            // no vatLevel
      {R"({"items":[{"name":"A","quantity":"1","unitPrice":1,"vatLevel":1}]})", 400},
      {R"({"items":[{"name":"A","quantity":1,"unitPrice":1,"vatLevel":6}]})", 400},
      // A number outside an amount's or quantity's limits is unprocessable, never rounded.
      {R"({"items":[{"name":"A","quantity":-1,"unitPrice":1,"vatLevel":1}]})", 422},
      {R"({"items":[{"name":"A","quantity":1,"unitPrice":0,"vatLevel":1}]})", 422},
      {R"({"items":[{"name":"A","quantity":1,"unitPrice":0.125,"vatLevel":1}]})", 422},
      {R"({"items":[{"name":"A","quantity":0.0005,"unitPrice":1,"vatLevel":1}]})", 422},
      {R"({"items":[{"name":"A","quantity":100000,"unitPrice":1,"vatLevel":1}]})", 422},
      {R"({"items":[{"name":"A","quantity":1,"unitPrice":1000000,"vatLevel":1}]})", 422},
      {R"({"items":[{"name":"A","quantity":1,"unitPrice":1e400,"vatLevel":1}]})", 400},  // no JSON number
      // Digits as written: an exponent moves the point, trailing zeros carry nothing.
      {R"({"items":[{"name":"A","quantity":1.5E1,"unitPrice":199e-2,"vatLevel":1}]})", 200},
      {R"({"items":[{"name":"A","quantity":1.0000,"unitPrice":1.990,"vatLevel":1}]})", 200},
      {R"({"items":[{"name":"A","quantity":1,"unitPrice":1,"vatLevel":1,"kind":"gift"}]})", 400},
      {R"({"items":[{"name":"A","quantity":1,"unitPrice":1,"vatLevel":1,"discountPercent":100}]})", 400},
      {R"({"items":[{"name":"A","quantity":1,"unitPrice":1,"vatLevel":1,"discount":5}]})", 400},
      {R"({"items":[{"name":"","quantity":1,"unitPrice":1,"vatLevel":1}]})", 400},
      {R"({"items":[{"name":"0123456789012345678901234567890123456789","quantity":1,"unitPrice":1,"vatLevel":1}]})", 400},
      {R"({"items":[{"name":"A","quantity":1,"unitPrice":1,"vatLevel":1}],"payments":[{"tender":11,"amount":1}]})", 400},
      {R"({"items":[{"name":"A","quantity":1,"unitPrice":1,"vatLevel":1}],"payments":[{"tender":1,"amount":1},{"tender":1,"amount":1}]})", 400},
      {"{\"items\":[{\"name\":\"\xe2\x82\xac \xe4\xb8\xad\",\"quantity\":1,\"unitPrice\":1,\"vatLevel\":1}]}", 422},
      {R"({"items":[{"name":"A\u001bk","quantity":1,"unitPrice":1,"vatLevel":1}]})", 422},
      {R"({"items":[{"name":"Ro\u017eky \u20ac","quantity":1,"unitPrice":1,"vatLevel":1}],"invoice":true})", 200},
  };
  for (const BodyCase& c : cases) EXPECT_EQ(StatusOf(ParseReceipt(c.body)), c.status) << c.body;
}

// The body of one receipt, checked and written.
Checked<ReceiptText> Receipt(const std::string& body) {
  auto parsed = ParseReceipt(body);
  if (const auto* refused = std::get_if<ApiAnswer>(&parsed)) return *refused;
  return BuildReceiptText(std::get<ReceiptRequest>(parsed), "EUR", kDiscountLabel);
}

TEST(ApiRequests, ReceiptIsWrittenByteForByteAsTheTillWritesIt) {
  const auto text = Receipt(
      R"({"items":[{"name":"Ro\u017eky","quantity":4,"unitPrice":0.12,"vatLevel":1,"discountPercent":15},)"
      R"({"name":"Chlieb","quantity":1,"unitPrice":0.1,"vatLevel":3,"kind":"void"}],)"
      R"("payments":[{"tender":2,"amount":0.2},{"tender":1,"amount":1}]})");
  ASSERT_TRUE(std::holds_alternative<ReceiptText>(text));
  const std::string expected =
      E + "b" + "Ro\x9eky          \r\n    4.00 x     0.12  " + E + "1       0.48 EUR\r\n" +
      "Z\xbe" "ava  15 %" + std::string(8 + 2, ' ') + E + "4B      -0.07 EUR\r\n" +
      "Chlieb         \r\n   -1.00 x     0.10  " + E + "6C      -0.10 EUR\r\n" +
      E + "k        0.31 EUR\r\n" + E + "P1        0.11\r\n" + E + "P2        0.20\r\n" +
      E + "e";
  EXPECT_EQ(std::get<ReceiptText>(text).bytes, expected);
}

TEST(ApiRequests, PaymentsSettleTheTotalAsThePaymentWindowDoes) {
  const std::string items =
      R"({"items":[{"name":"A","quantity":1,"unitPrice":12.30,"vatLevel":2}])";
  struct Case {
    std::string payments;
    int status;
    std::string tail;  // the payment lines and the end
  };
  const Case cases[] = {
      {"", 200, E + "P1       12.30\r\n" + E + "e"},
      {R"(,"payments":[{"tender":1,"amount":20}])", 200, E + "P1       12.30\r\n" + E + "e"},
      {R"(,"payments":[{"tender":1,"amount":10},{"tender":2,"amount":5}])", 200,
       E + "P1        7.30\r\n" + E + "P2        5.00\r\n" + E + "e"},
      {R"(,"payments":[{"tender":1,"amount":12.29}])", 422, ""},
  };
  for (const Case& c : cases) {
    const auto text = Receipt(items + c.payments + "}");
    if (c.status != 200) {
      ASSERT_TRUE(std::holds_alternative<ApiAnswer>(text)) << c.payments;
      EXPECT_EQ(std::get<ApiAnswer>(text).status, c.status);
      continue;
    }
    ASSERT_TRUE(std::holds_alternative<ReceiptText>(text)) << c.payments;
    const std::string& bytes = std::get<ReceiptText>(text).bytes;
    EXPECT_EQ(bytes.substr(bytes.size() - c.tail.size()), c.tail) << c.payments;
  }
}

TEST(ApiRequests, DiscountsTheTillWouldRefuseAreUnprocessable) {
  for (const char* item : {
           R"({"name":"A","quantity":1,"unitPrice":1,"vatLevel":5,"discountPercent":10})",
           R"({"name":"A","quantity":1,"unitPrice":1,"vatLevel":1,"kind":"return","discountPercent":10})",
           R"({"name":"A","quantity":1,"unitPrice":0.01,"vatLevel":1,"discountPercent":10})",
       }) {
    const auto text = Receipt(std::string(R"({"items":[)") + item + "]}");
    ASSERT_TRUE(std::holds_alternative<ApiAnswer>(text)) << item;
    EXPECT_EQ(std::get<ApiAnswer>(text).status, 422) << item;
  }
}

TEST(ApiRequests, CashAndMonthlyBodies) {
  const auto cash = ParseCash(
      R"({"direction":"deposit","payments":[{"tender":1,"amount":100},{"tender":3,"amount":20}]})");
  ASSERT_TRUE(std::holds_alternative<CashRequest>(cash));
  EXPECT_EQ(BuildCashText(std::get<CashRequest>(cash)),
            E + "V" + E + "P1      100.00\r\n" + E + "P3       20.00\r\n" + E + "e\r\n");
  EXPECT_TRUE(std::holds_alternative<ApiAnswer>(ParseCash(R"({"direction":"in","payments":[]})")));

  EXPECT_TRUE(std::holds_alternative<MonthlyReportRequest>(ParseMonthly(R"({"year":2026,"month":11})")));
  EXPECT_TRUE(std::holds_alternative<ApiAnswer>(ParseMonthly(R"({"year":2026,"month":13})")));
  EXPECT_TRUE(std::holds_alternative<ApiAnswer>(ParseMonthly(R"({"year":2026})")));

  EXPECT_FALSE(CheckEmptyBody(""));
  EXPECT_FALSE(CheckEmptyBody("{}"));
  EXPECT_TRUE(CheckEmptyBody(R"({"now":true})"));
}

}  // namespace
}  // namespace kv
