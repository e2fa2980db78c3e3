#pragma once

namespace kv {

// Numbers of the run-time messages the till uses (texts in the message file).
inline constexpr int kMsgPaymentShort = 63;  // the payment does not cover the total
inline constexpr int kMsgPaymentCaption = 64;
inline constexpr int kMsgFolderNotCreated = 65;  // the price list folder cannot be made
inline constexpr int kMsgNoPort = 66;
inline constexpr int kMsgPriceLabel = 67;    // "Počet * Cena"
inline constexpr int kMsgTotalCaption = 68;  // "Suma celkom"
inline constexpr int kMsgDiscountName = 69;
inline constexpr int kMsgDiscountLabel = 70;  // "Zľava v %"
inline constexpr int kMsgDepositCaption = 71;
inline constexpr int kMsgWithdrawalCaption = 72;
inline constexpr int kMsgCountCaption = 73;
inline constexpr int kMsgReceiptOpen = 76;  // closing refused while a receipt is open
inline constexpr int kMsgSaleCaption = 77;
inline constexpr int kMsgChangeCaption = 78;  // "Vydať"
inline constexpr int kMsgReceiptPrinted = 79;
inline constexpr int kMsgCashCountHeading = 81;
inline constexpr int kMsgCashCountTotal = 82;
inline constexpr int kMsgListHeadings = 83;  // 83 ... 86: code, name, VAT level, price
inline constexpr int kMsgOpenListTitle = 87;
inline constexpr int kMsgOpenListFilter = 88;
inline constexpr int kMsgMissingList = 89;  // the price list file is missing: choose?
inline constexpr int kMsgListCaption = 90;
inline constexpr int kMsgListReadError = 91;
inline constexpr int kMsgListErrorCaption = 92;
inline constexpr int kMsgDeposit = 147;         // CB_vklad: 147 deposit, 148 withdrawal
inline constexpr int kMsgNegative = 149;        // CB_zaporne: 149 void, 150 returned
inline constexpr int kMsgReceiptFull = 180;     // the receipt holds 1000 items
inline constexpr int kMsgCountNotWhole = 181;   // a cash count that is not a whole number
inline constexpr int kMsgListFull = 182;        // the price list holds 1000 records
inline constexpr int kMsgListStrayTail = 183;   // error file: bytes after the last record
inline constexpr int kMsgChooseVatLevel = 184;  // an article without a valid VAT level
inline constexpr int kMsgListNotSaved = 185;    // followed by the path
inline constexpr int kMsgListDropped = 186;     // error file: records beyond 1000
inline constexpr int kMsgSaveListTitle = 241;   // the price list's save dialog
inline constexpr int kMsgPrinterBusy = 210;     // another exchange holds the printer
inline constexpr int kMsgAmountLimit = 242;     // an amount: 2 decimals, up to 99,999,999.99
inline constexpr int kMsgPriceLimit = 243;      // a unit price: 2 decimals, up to 999,999.99
inline constexpr int kMsgQuantityLimit = 244;   // a quantity: 3 decimals, up to 99,999.999
inline constexpr int kMsgLineLimit = 245;       // a line up to 9,999,999.99
inline constexpr int kMsgTotalLimit = 246;      // a receipt total up to 99,999,999.99
inline constexpr int kMsgPriceNotSellable = 247;  // followed by the article's code
inline constexpr int kMsgLeaveReceiptOpen = 248;  // the printer is silent: leave it open?
inline constexpr int kMsgReceiptLeftOpen = 249;   // error file: the document left open

}  // namespace kv
