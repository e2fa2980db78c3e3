#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/operator_boxes.h"
#include "lang/message_table.h"
#include "register/price_card.h"

namespace kv {

// What a load of the price list found.
struct PriceListLoad {
  bool read = false;            // a file was read
  size_t stray_tail_bytes = 0;  // an incomplete record at the end, not loaded
  size_t dropped_records = 0;   // records past the 1000 the list holds, not loaded
};
// The error-file note for a load (empty when there is nothing to note).
std::string PriceListLoadNote(const PriceListLoad& load, const MessageTable& messages);

// The fields of the price list editor.
struct PriceCardFields {
  std::string code;
  std::string name;
  std::string price;
  int vat_index = 0;  // -1: no level chosen
};

// The price list in memory, its file and the editor's operations. Records are numbered from 0
// (grid row r + 1 shows record r). A record whose VAT level byte is not one of the five levels
// loads and is shown, but it has no level: the sale screen and the editor make the operator
// choose one.
class PriceList {
 public:
  // The open dialog: given the current working path, the chosen file or nothing.
  using FileChooser = std::function<std::optional<std::string>(const std::string& start)>;

  PriceList(std::string configured_path, const MessageTable& messages, OperatorBoxes& boxes,
            FileChooser choose_file);

  // The open dialog of the window that edits the list.
  void SetFileChooser(FileChooser choose_file) { choose_file_ = std::move(choose_file); }

  // Reads the working file (with `ask`, the operator chooses the file first; a cancelled
  // choice leaves the list as it was). A missing file is offered to be chosen elsewhere, else
  // created empty.
  PriceListLoad LoadPriceList(bool ask);
  // Writes the list to the working file; false when it could not (the operator is told).
  bool SavePriceList();

  int Count() const { return static_cast<int>(cards_.size()); }
  const TPriceCard& Card(int index) const { return cards_.at(static_cast<size_t>(index)); }
  const std::string& WorkingPath() const { return working_path_; }
  const std::string& ConfiguredPath() const { return configured_path_; }
  bool Loading() const { return loading_; }

  // The first record whose code equals `code` byte for byte. An empty code looks nothing up,
  // also when an article is stored without a code.
  std::optional<int> FindByCode(std::string_view code) const;
  // Fills the match table with every record whose name contains `text`, ignoring case.
  const std::vector<int>& SearchByName(std::string_view text);
  const std::vector<int>& Matches() const { return matches_; }

  // ---- editor ----
  enum class StoreOutcome {
    Saved,
    EmptyName,
    DuplicateCode,
    BadPrice,
    NoVatLevel,
    ListFull,
    NotWritten
  };
  // The grid cells of a record: code, name, level number, price with "%10.2f".
  std::array<std::string, 4> RowCells(int index) const;
  // The fields for a selected row; a row past the records gives the cleared fields.
  PriceCardFields SelectRow(int row) const;
  // "&Nový": the row where the next stored record goes.
  int NewRow() const { return Count(); }
  // "&Ulož": stores the fields into record `row` (a row past the records appends) and writes
  // the file. Refusals store nothing.
  StoreOutcome Store(int row, const PriceCardFields& fields);
  // "&Vymaž": removes record `row` (the file is written by the next save). Returns the row to
  // select afterwards.
  int Remove(int row);
  // "Ulož &do" with a chosen file: it becomes the working path and the list is saved there. A
  // cancelled dialog saves nothing (the window does not call this).
  bool SaveTo(const std::string& chosen);

 private:
  std::string configured_path_;
  std::string working_path_;
  const MessageTable& messages_;
  OperatorBoxes& boxes_;
  FileChooser choose_file_;
  std::vector<TPriceCard> cards_;
  std::vector<int> matches_;
  bool loading_ = false;
};

}  // namespace kv
