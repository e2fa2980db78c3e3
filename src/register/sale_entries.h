#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "register/sale_item.h"

namespace kv {

// What the name field of an item holds.
inline constexpr size_t kItemNameCapacity = 39;

// An item as the till keeps it. Price (cents) and quantity (thousandths) as entered: a negative
// price makes a negative entry (its quantity negated), and so does a negative quantity; such an
// entry is `negative_type` ('C' "Zaporne", 'A' "Vratene") with the negative VAT letter of
// `vat_level` (0 ... 4); otherwise a plain sale. The line amount is rounded once to the cent.
TSaleItem EntryItem(std::string_view name, std::string_view code, int64_t price_cents,
                    int64_t quantity_milli, int vat_level, char negative_type);

// The discount of `percent_text` percent (read as `percent`) on `item`: one line, type 'B',
// the negative letter paired with the item's, the amount rounded once to the cent. Its name is
// `label`, two blanks, the percentage and " %", within the name field (the label gives way).
TSaleItem DiscountItem(const TSaleItem& item, int64_t percent, std::string_view percent_text,
                       std::string_view label, std::string_view code);

}  // namespace kv
