// The price list file: any bytes load into the list, every record shows in the editor and is
// found by its code and name, and each record as saved reads back the same.

#include <cstring>
#include <filesystem>

#include "fuzz_support.h"
#include "register/price_list.h"

namespace {

bool SameCard(const kv::TPriceCard& a, const kv::TPriceCard& b) {
  return a.name.view() == b.name.view() && a.code.view() == b.code.view() &&
         std::memcmp(&a.price, &b.price, sizeof a.price) == 0 && a.reserved == b.reserved &&
         a.vat_level == b.vat_level && a.spare == b.spare;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    const std::string folder = kv::fuzz::Scratch() / "cennik";
    std::filesystem::create_directories(folder);
    return folder + "/cennik.bin";
  }();
  kv::fuzz::WriteFile(path, kv::fuzz::Bytes(data, size));

  kv::MessageTable messages;
  kv::fuzz::DefaultBoxes boxes;
  kv::PriceList list(path, messages, boxes, nullptr);
  const kv::PriceListLoad load = list.LoadPriceList(false);
  FUZZ_CHECK(load.read && load.stray_tail_bytes == size % kv::kPriceCardSize);
  (void)kv::PriceListLoadNote(load, messages);

  for (int i = 0; i < list.Count(); ++i) {
    FUZZ_CHECK(!list.Card(i).name.view().empty());
    (void)list.RowCells(i);
    (void)list.SelectRow(i);
  }
  if (list.Count() > 0) {
    // One record, found by its code and by a piece of its name.
    const int i = static_cast<int>(size % static_cast<size_t>(list.Count()));
    const kv::TPriceCard& card = list.Card(i);
    const auto found = list.FindByCode(card.code.view());
    if (card.code.view().empty())  // an empty code looks nothing up
      FUZZ_CHECK(!found);
    else
      FUZZ_CHECK(found && *found <= i && list.Card(*found).code.view() == card.code.view());
    bool matched = false;
    for (int match : list.SearchByName(card.name.view().substr(0, 3))) matched |= match == i;
    FUZZ_CHECK(matched);
  }

  for (int i = 0; i < list.Count(); ++i) {
    const auto saved = kv::EncodePriceCard(list.Card(i));
    FUZZ_CHECK(SameCard(kv::DecodePriceCard(saved.data()), list.Card(i)));
  }
  return 0;
}
