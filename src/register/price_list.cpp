#include "register/price_list.h"

#include <cstdio>
#include <filesystem>

#include "register/money.h"
#include "register/number_text.h"
#include "register/till_messages.h"

namespace kv {

namespace {

// Lower case of a cp1250 letter: ASCII, the accented capitals 0xC0 ... 0xDE (but for the
// multiplication sign), and the capitals that sit apart from their small letters.
unsigned char FoldCp1250(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A:
    case 0x8C:
    case 0x8D:
    case 0x8E:
    case 0x8F:
      return static_cast<unsigned char>(c + 16);
    case 0xA3:
      return 0xB3;
    case 0xA5:
      return 0xB9;
    case 0xAA:
      return 0xBA;
    case 0xAF:
      return 0xBF;
    case 0xBC:
      return 0xBE;
    default:
      return c;
  }
}

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
  if (part.size() > text.size()) return false;
  for (size_t start = 0; start + part.size() <= text.size(); ++start) {
    size_t i = 0;
    while (i < part.size() && FoldCp1250(static_cast<unsigned char>(text[start + i])) ==
                                  FoldCp1250(static_cast<unsigned char>(part[i])))
      ++i;
    if (i == part.size()) return true;
  }
  return false;
}

// Clears the load-in-progress mark however the load ends.
class LoadMark {
 public:
  explicit LoadMark(bool& mark) : mark_(mark) { mark_ = true; }
  ~LoadMark() { mark_ = false; }

 private:
  bool& mark_;
};

bool CreateEmptyFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "ab");
  return file && std::fclose(file) == 0;
}

}  // namespace

std::string PriceListLoadNote(const PriceListLoad& load, const MessageTable& messages) {
  std::string note;
  if (load.stray_tail_bytes)
    note = messages.Text(kMsgListStrayTail) + " " + std::to_string(load.stray_tail_bytes);
  if (load.dropped_records) {
    if (!note.empty()) note += "; ";
    note += messages.Text(kMsgListDropped) + " " + std::to_string(load.dropped_records);
  }
  return note;
}

PriceList::PriceList(std::string configured_path, const MessageTable& messages,
                     OperatorBoxes& boxes, FileChooser choose_file)
    : configured_path_(std::move(configured_path)),
      working_path_(configured_path_),
      messages_(messages),
      boxes_(boxes),
      choose_file_(std::move(choose_file)) {}

PriceListLoad PriceList::LoadPriceList(bool ask) {
  if (loading_) return {};
  LoadMark mark(loading_);
  if (ask) {
    const auto chosen = choose_file_ ? choose_file_(working_path_) : std::nullopt;
    if (!chosen) return {};
    working_path_ = *chosen;
  }
  cards_.clear();
  matches_.clear();

  std::error_code ignored;
  if (!std::filesystem::exists(working_path_, ignored)) {
    const BoxAnswer answer =
        boxes_.Captioned(messages_.Text(kMsgListCaption), messages_.Text(kMsgMissingList),
                         BoxButtons::YesNo, BoxIcon::Warning, 1);
    if (answer == BoxAnswer::Yes && choose_file_) {
      if (const auto chosen = choose_file_(working_path_)) working_path_ = *chosen;
    }
    if (!std::filesystem::exists(working_path_, ignored)) {
      if (!EnsurePriceListFolder(working_path_) || !CreateEmptyFile(working_path_))
        boxes_.Captioned(messages_.Text(kMsgListCaption),
                         messages_.Text(kMsgFolderNotCreated) + " " + working_path_, BoxButtons::Ok,
                         BoxIcon::Warning);
      return {};
    }
  }

  PriceFileContent file = ReadPriceFile(working_path_);
  if (!file.opened || file.read_error)
    boxes_.Captioned(messages_.Text(kMsgListErrorCaption), messages_.Text(kMsgListReadError),
                     BoxButtons::Ok, BoxIcon::Warning);
  cards_ = std::move(file.cards);
  // Prices as the editor saves them, to thousandths; a foreign file may hold more decimals.
  for (TPriceCard& card : cards_) card.price = StoredPriceThousandths(card.price);
  return {file.opened, file.stray_tail_bytes, file.dropped_records};
}

bool PriceList::SavePriceList() {
  if (EnsurePriceListFolder(working_path_) && WritePriceFile(working_path_, cards_)) return true;
  boxes_.Captioned(messages_.Text(kMsgListCaption),
                   messages_.Text(kMsgListNotSaved) + " " + working_path_, BoxButtons::Ok,
                   BoxIcon::Warning);
  return false;
}

std::optional<int> PriceList::FindByCode(std::string_view code) const {
  if (code.empty()) return std::nullopt;
  for (int i = 0; i < Count(); ++i)
    if (cards_[i].code.view() == code) return i;
  return std::nullopt;
}

const std::vector<int>& PriceList::SearchByName(std::string_view text) {
  matches_.clear();
  for (int i = 0; i < Count(); ++i)
    if (ContainsIgnoringCase(cards_[i].name.view(), text)) matches_.push_back(i);
  return matches_;
}

namespace {

// The price as the till sells it (0.125 shows as 0.13); a price that cannot be sold shows as
// it is stored.
std::string PriceText(double price, int width) {
  const std::optional<int64_t> cents = StoredPriceCents(price);
  return cents ? FormatCents(*cents, width) : FormatFixed(price, width, 2);
}

}  // namespace

std::array<std::string, 4> PriceList::RowCells(int index) const {
  const TPriceCard& card = Card(index);
  return {card.code.str(), card.name.str(), std::to_string(card.vat_level + 1),
          PriceText(card.price, 10)};
}

PriceCardFields PriceList::SelectRow(int row) const {
  if (row < 0 || row >= Count()) return {"", "", "0.00", 0};
  const TPriceCard& card = Card(row);
  return {card.code.str(), card.name.str(), PriceText(card.price, 0),
          VatLevelValid(card) ? card.vat_level : -1};
}

PriceList::StoreOutcome PriceList::Store(int row, const PriceCardFields& fields) {
  if (fields.name.empty()) return StoreOutcome::EmptyName;
  const bool append = row < 0 || row >= Count();
  const std::string code = fields.code.substr(0, kPriceCodeLength);
  for (int i = 0; i < Count(); ++i)
    if ((append || i != row) && cards_[i].code.view() == code) return StoreOutcome::DuplicateCode;
  // Read from its text and rounded to thousandths, as the file keeps it; a price the till could
  // not sell is not stored.
  constexpr int kReadDecimals = 6;
  const FixedPoint price = ParseFixedPoint(fields.price, kReadDecimals, kMaxUnitPriceCents * 10'000);
  if (!price.ok() || price.value < 0) return StoreOutcome::BadPrice;
  const int64_t thousandths = RoundedQuotient(price.value, 1'000);
  if (fields.vat_index < 0 || fields.vat_index > 4) return StoreOutcome::NoVatLevel;
  if (append && Count() >= kPriceListCapacity) {
    boxes_.Captioned(messages_.Text(kMsgListCaption), messages_.Text(kMsgListFull));
    return StoreOutcome::ListFull;
  }

  TPriceCard card = append ? TPriceCard{} : cards_[static_cast<size_t>(row)];
  card.code = code;
  card.name = fields.name;
  card.price = static_cast<double>(thousandths) / 1000.0;
  card.reserved.fill(0);
  card.vat_level = static_cast<uint8_t>(fields.vat_index);
  if (append)
    cards_.push_back(card);
  else
    cards_[static_cast<size_t>(row)] = card;
  return SavePriceList() ? StoreOutcome::Saved : StoreOutcome::NotWritten;
}

int PriceList::Remove(int row) {
  if (row >= 0 && row < Count()) cards_.erase(cards_.begin() + row);
  if (row >= Count() && row > 0) return row - 1;
  return row;
}

bool PriceList::SaveTo(const std::string& chosen) {
  working_path_ = chosen;
  return SavePriceList();
}

}  // namespace kv
