#include "register/key_filters.h"

namespace kv {

namespace {

constexpr KeyVerdict kRefuse{KeyVerdict::Refuse};
constexpr KeyVerdict kEnter{KeyVerdict::Enter};
constexpr KeyVerdict kPoint{KeyVerdict::Accept, '.'};

bool IsDigit(char key) {
  return key >= '0' && key <= '9';
}
bool IsPoint(char key) {
  return key == ',' || key == '.';
}
bool PassesThrough(char key) {
  return key == kKeyBackspace || key == kKeyTab || key == '%' || key == '\'';
}
bool HasPoint(std::string_view text) {
  return text.find('.') != std::string_view::npos;
}

// The filter common to all fields: Enter, the keys that pass through, then digits and "." or
// "," as the field's two rules allow. Anything else is refused.
template <typename DigitRule, typename PointRule>
KeyVerdict Filter(char key, DigitRule digit_ok, PointRule point_ok) {
  if (key == kKeyEnter) return kEnter;
  if (PassesThrough(key)) return {KeyVerdict::Accept, key};
  if (IsDigit(key)) return digit_ok() ? KeyVerdict{KeyVerdict::Accept, key} : kRefuse;
  if (IsPoint(key)) return point_ok() ? kPoint : kRefuse;
  return kRefuse;
}

// At most two decimals: a digit goes in while the text has no ".", or at most one character
// follows it.
bool RoomForDecimal(std::string_view text) {
  const size_t point = text.find('.');
  return point == std::string_view::npos || text.size() - point - 1 <= 1;
}

bool PointAllowedAfterFirst(const EditText& edit) {
  return edit.caret > 0 && !HasPoint(edit.text);
}

}  // namespace

KeyVerdict SaleCodeKey(char key) {
  return Filter(
      key, [] { return true; }, [] { return false; });
}

KeyVerdict SalePriceKey(const EditText& edit, char key, bool discount_mode) {
  const std::string_view text = edit.text;
  const size_t star = text.find('*');
  if (key == '*')
    return !text.empty() && star == std::string_view::npos ? KeyVerdict{KeyVerdict::Accept, key}
                                                           : kRefuse;
  if (key == '-')
    return !discount_mode && edit.caret == 0 && text.find('-') == std::string_view::npos
               ? KeyVerdict{KeyVerdict::Accept, key}
               : kRefuse;
  return Filter(
      key, [] { return true; },
      [&] {
        if (discount_mode) return false;
        // One "." in the quantity part and one in the price part.
        if (star == std::string_view::npos) return !HasPoint(text);
        return edit.caret <= star ? !HasPoint(text.substr(0, star))
                                  : !HasPoint(text.substr(star + 1));
      });
}

bool NegativeChoiceEnabled(std::string_view price_text) {
  return price_text.find('-') != std::string_view::npos;
}

KeyVerdict AmountKey(const EditText& edit, char key) {
  return Filter(
      key, [] { return true; }, [&] { return !HasPoint(edit.text); });
}

KeyVerdict PaymentAmountKey(const EditText& edit, char key) {
  return Filter(
      key, [&] { return edit.selected > 0 || RoomForDecimal(edit.text); },
      [&] { return PointAllowedAfterFirst(edit); });
}

KeyVerdict PriceListPriceKey(const EditText& edit, char key) {
  return Filter(
      key,
      [&] {
        const size_t point = edit.text.find('.');
        return point == std::string_view::npos || edit.caret <= point || RoomForDecimal(edit.text);
      },
      [&] { return PointAllowedAfterFirst(edit); });
}

}  // namespace kv
