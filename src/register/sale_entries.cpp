#include "register/sale_entries.h"

#include <algorithm>
#include <string>

#include "register/number_text.h"

namespace kv {

TSaleItem EntryItem(std::string_view name, std::string_view code, double price, double quantity,
                    int vat_level, char negative_type) {
  TSaleItem item;
  item.name = PadRight(name, 15);
  item.code = PadRight(code, 13);
  item.unit_price = price < 0 ? -price : price;
  item.quantity = price < 0 ? -quantity : quantity;
  item.line_sum = RoundToCents(item.unit_price * item.quantity);
  if (item.quantity >= 0) {
    item.type_letter = kTypePlain;
    item.vat_letter = SalesVatLetter(vat_level);
  } else {
    item.type_letter = negative_type;
    item.vat_letter = NegativeVatLetter(vat_level);
  }
  return item;
}

TSaleItem DiscountItem(const TSaleItem& item, double percent, std::string_view percent_text,
                       std::string_view label, std::string_view code) {
  // The percentage stays readable: the name gives way to it when both do not fit.
  const std::string suffix = "  " + std::string(percent_text) + " %";
  const std::string name =
      std::string(label.substr(0, kItemNameCapacity - std::min(suffix.size(), kItemNameCapacity))) +
      suffix;
  TSaleItem discount;
  discount.name = PadRight(name, 15);
  discount.code = PadRight(code, 13);
  discount.quantity = -1;
  discount.unit_price = 0;
  discount.line_sum = RoundToCents(percent * -(item.line_sum * 0.01));
  discount.type_letter = kTypeDiscount;
  discount.vat_letter = PairedVatLetter(item.vat_letter);
  return discount;
}

}  // namespace kv
