// HTTP request bodies: any bytes are either refused with a client error that the error body
// can carry, or parsed into a request whose receipt text is well framed and carries no
// printer command hidden in a name.

#include <variant>

#include "api/api_requests.h"
#include "fuzz_support.h"

namespace {

template <typename T>
const T* Accepted(const kv::Checked<T>& checked) {
  if (const auto* answer = std::get_if<kv::ApiAnswer>(&checked)) {
    FUZZ_CHECK(answer->status == 400 || answer->status == 422);
    (void)answer->Text();
    return nullptr;
  }
  return &std::get<T>(checked);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view body = kv::fuzz::Bytes(data, size);

  const auto parsed_receipt = kv::ParseReceipt(body);
  if (const auto* receipt = Accepted(parsed_receipt)) {
    FUZZ_CHECK(!receipt->items.empty());
    for (const auto& item : receipt->items) {
      FUZZ_CHECK(item.name.size() <= 39 && item.vat_level >= 1 && item.vat_level <= 5);
      for (char c : item.name) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20);
    }
    const auto built = kv::BuildReceiptText(*receipt, "EUR", "Zľava");
    if (const auto* text = Accepted(built)) {
      const std::string& bytes = text->bytes;
      FUZZ_CHECK(bytes.size() >= 4 && bytes[0] == '\x1b' && (bytes[1] == 'b' || bytes[1] == 'B'));
      FUZZ_CHECK(bytes.compare(bytes.size() - 2, 2, "\x1b" "e") == 0 ||
                 bytes.compare(bytes.size() - 4, 4, "\x1b" "e\r\n") == 0);
    }
  }
  const auto parsed_cash = kv::ParseCash(body);
  if (const auto* cash = Accepted(parsed_cash)) {
    const std::string text = kv::BuildCashText(*cash);
    FUZZ_CHECK(text.size() >= 2 && text[0] == '\x1b');
  }
  const auto parsed_monthly = kv::ParseMonthly(body);
  if (const auto* monthly = Accepted(parsed_monthly))
    FUZZ_CHECK(monthly->month >= 1 && monthly->month <= 12);
  if (const auto refused = kv::CheckEmptyBody(body)) FUZZ_CHECK(refused->status == 400);
  return 0;
}
