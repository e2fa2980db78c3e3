#pragma once

#include <cstddef>
#include <string_view>

namespace kv {

// Key filters of the till's edits: which typed character a field takes. Backspace, tab and the
// characters '%' and apostrophe always pass through unchanged.

inline constexpr char kKeyBackspace = 8;
inline constexpr char kKeyTab = 9;
inline constexpr char kKeyEnter = 13;

// An edit as its key filter sees it: the text and the selection (the caret when empty).
struct EditText {
  std::string_view text;
  size_t caret = 0;
  size_t selected = 0;
};

struct KeyVerdict {
  enum Action { Accept, Refuse, Enter } action;
  char key = 0;  // what to insert with Accept ("," becomes ".")
  bool operator==(const KeyVerdict&) const = default;
};

// Sale page, code: digits; Enter moves on to the price.
KeyVerdict SaleCodeKey(char key);
// Sale page, quantity and price ("3*1.5", "-5"); in discount mode a whole percentage. Enter
// adds the item.
KeyVerdict SalePriceKey(const EditText& edit, char key, bool discount_mode);
// The choice "Zaporne"/"Vratene" is open while the price text holds a "-".
bool NegativeChoiceEnabled(std::string_view price_text);
// Deposit tenders and cash counts: digits and one ".". Enter moves to the next field.
KeyVerdict AmountKey(const EditText& edit, char key);
// Payment window amounts: at most two decimals, no leading ".". Enter moves to OK.
KeyVerdict PaymentAmountKey(const EditText& edit, char key);
// Price list editor, price: at most two decimals unless the caret is before the ".".
KeyVerdict PriceListPriceKey(const EditText& edit, char key);

}  // namespace kv
