#pragma once

#include <cstdint>

#include "base/fixed_text.h"

namespace kv {

// Item-type letters as kept in a sale item.
inline constexpr char kTypePlain = 'N';
inline constexpr char kTypeDiscount = 'B';
inline constexpr char kTypeNegative = 'C';  // "Zaporne"
inline constexpr char kTypeReturned = 'A';  // "Vratene"
inline constexpr char kTypeFree = static_cast<char>(0xFF);
// Written instead of the type when a plain sale is taken back from an open receipt.
inline constexpr char kTypeReversal = 'D';

inline constexpr int kVatLevels = 5;

// One entry of the receipt being built on the sale screen.
struct TSaleItem {
  FixedText<40> name;     // as entered, padded to 15 with blanks
  FixedText<24> code;     // as entered, padded to 13 with blanks
  int64_t line_cents = 0;        // amount of the line, rounded once to the cent
  int64_t unit_price_cents = 0;  // never negative; 0 for a discount
  int64_t quantity_milli = 0;    // thousandths; negative for void, returned and discount entries
  char vat_letter = 0;
  char type_letter = kTypeFree;
};

// VAT letter of a level index 0 ... 4 (levels 1 ... 5) for a sale: '1', '2', '3', '7', '0';
// for a negative entry: '4', '5', '6', '8', '9'. 0 for an index outside the five levels.
inline char SalesVatLetter(int level) {
  constexpr char kLetters[kVatLevels] = {'1', '2', '3', '7', '0'};
  return level >= 0 && level < kVatLevels ? kLetters[level] : 0;
}
inline char NegativeVatLetter(int level) {
  constexpr char kLetters[kVatLevels] = {'4', '5', '6', '8', '9'};
  return level >= 0 && level < kVatLevels ? kLetters[level] : 0;
}

// The other member of a letter's pair ('1'-'4', '2'-'5', '3'-'6', '7'-'8', '0'-'9'); 0 for a
// letter that is not a digit.
inline char PairedVatLetter(char letter) {
  switch (letter) {
    case '1':
      return '4';
    case '2':
      return '5';
    case '3':
      return '6';
    case '7':
      return '8';
    case '0':
      return '9';
    case '4':
      return '1';
    case '5':
      return '2';
    case '6':
      return '3';
    case '8':
      return '7';
    case '9':
      return '0';
    default:
      return 0;
  }
}

}  // namespace kv
