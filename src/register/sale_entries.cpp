#include "register/sale_entries.h"

#include <algorithm>
#include <string>

#include "register/money.h"
#include "register/number_text.h"

namespace kv {

TSaleItem EntryItem(std::string_view name, std::string_view code, int64_t price_cents,
                    int64_t quantity_milli, int vat_level, char negative_type) {
  TSaleItem item;
  item.name = PadRight(name, 15);
  item.code = PadRight(code, 13);
  item.unit_price_cents = price_cents < 0 ? -price_cents : price_cents;
  item.quantity_milli = price_cents < 0 ? -quantity_milli : quantity_milli;
  item.line_cents = LineCents(item.quantity_milli, item.unit_price_cents);
  if (item.quantity_milli >= 0) {
    item.type_letter = kTypePlain;
    item.vat_letter = SalesVatLetter(vat_level);
  } else {
    item.type_letter = negative_type;
    item.vat_letter = NegativeVatLetter(vat_level);
  }
  return item;
}

TSaleItem DiscountItem(const TSaleItem& item, int64_t percent, std::string_view percent_text,
                       std::string_view label, std::string_view code) {
  // The percentage stays readable: the name gives way to it when both do not fit.
  const std::string suffix = "  " + std::string(percent_text) + " %";
  const std::string name =
      std::string(label.substr(0, kItemNameCapacity - std::min(suffix.size(), kItemNameCapacity))) +
      suffix;
  TSaleItem discount;
  discount.name = PadRight(name, 15);
  discount.code = PadRight(code, 13);
  discount.quantity_milli = -1000;
  discount.unit_price_cents = 0;
  discount.line_cents = DiscountCents(item.line_cents, percent);
  discount.type_letter = kTypeDiscount;
  discount.vat_letter = PairedVatLetter(item.vat_letter);
  return discount;
}

}  // namespace kv
