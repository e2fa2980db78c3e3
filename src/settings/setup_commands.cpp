#include "settings/setup_commands.h"

#include <cstdio>

#include "base/control_bytes.h"

namespace kv {

namespace {

std::optional<int> Position(int value, size_t count) {
  if (value < 0 || static_cast<size_t>(value) >= count) return std::nullopt;
  return value;
}

}  // namespace

bool VatRatesChangeable(const std::array<double, 12>& amounts) {
  for (const double amount : amounts)
    if (amount != 0.0) return false;
  return true;
}

std::optional<std::array<uint8_t, 5>> ParseVatEdits(const std::array<std::string, 5>& edits) {
  std::array<uint8_t, 5> rates{};
  for (size_t i = 0; i < edits.size(); ++i) {
    const std::string& edit = edits[i];
    if (edit.empty() || edit.size() > static_cast<size_t>(kVatEditMaxLength)) return std::nullopt;
    int value = 0;
    for (const char c : edit) {
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + (c - '0');
    }
    rates[i] = static_cast<uint8_t>(value);
  }
  return rates;
}

std::string BuildVatCommand(const std::array<uint8_t, 5>& rates) {
  char text[32];
  const int n = std::snprintf(text, sizeof text, "%c+d%d\r%d\r%d\r%d\r%d\r", kEsc, rates[0],
                              rates[1], rates[2], rates[3], rates[4]);
  return std::string(text, static_cast<size_t>(n));
}

std::array<std::string, 3> BuildRoundingCommands(const std::array<std::string, 6>& edits) {
  std::array<std::string, 3> commands;
  for (size_t i = 0; i < commands.size(); ++i) {
    commands[i] = std::string{kEsc, '+', 'z', static_cast<char>('1' + i)};
    commands[i] += edits[2 * i] + '\r' + edits[2 * i + 1] + '\r';
  }
  return commands;
}

bool MaskedValueComplete(std::string_view text, size_t before_point) {
  if (text.size() != before_point + 5 || text[before_point] != '.') return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (i != before_point && (text[i] < '0' || text[i] > '9')) return false;
  return true;
}

const std::array<const char*, 6> kDualCurrencies = {"EUR", "SKK", "CZK", "USD", "PLN", "HUF"};

std::optional<std::string> BuildCurrencyCommand(int active, int dual, std::string_view rate) {
  if (!Position(active, kActiveCurrencies.size()) || !Position(dual, kDualCurrencies.size()))
    return std::nullopt;
  std::string bytes{kEsc, '+', 'M', static_cast<char>('1' + active), static_cast<char>('1' + dual)};
  bytes += rate;
  bytes += '\r';
  return bytes;
}

CurrencySetup ParseCurrencyRecord(std::string_view record) {
  CurrencySetup setup;
  if (record.size() >= 1) setup.active = Position(record[0] - '1', kActiveCurrencies.size());
  if (record.size() >= 2) setup.dual = Position(record[1] - '1', kDualCurrencies.size());
  if (record.size() >= 4) setup.rate = std::string(record.substr(2, record.size() - 4));
  return setup;
}

void ApplyCurrencySetup(const CurrencySetup& setup, Config& cfg) {
  if (setup.active) cfg.mena = *setup.active;
  if (setup.rate) cfg.kurz = *setup.rate;
}

const std::array<TimedByte, 8> kJournalErase = {{{27, 1000},
                                                 {'~', 100},
                                                 {'C', 100},
                                                 {'L', 100},
                                                 {'E', 100},
                                                 {'A', 100},
                                                 {'R', 100},
                                                 {13, 100}}};

std::string BuildTestModeCommand(bool in_test_mode) {
  return std::string{kEsc, '+', 'T', in_test_mode ? '0' : '1'};
}

const std::array<DrawerBytes, 5> DrawerSequences = {{
    {27, 70, 27, 112, 1, 20, 150, 3, 0, 0},
    {27, 70, 27, 112, 0, 20, 150, 3, 0, 0},
    {27, 70, 26, 3, 0, 0, 0, 0, 0, 0},
    {27, 70, 7, 3, 0, 0, 0, 0, 0, 0},
    {27, 111, 0, 0, 0, 0, 0, 0, 0, 0},
}};

const std::array<const char*, 6> kDrawerNames = {"EPSON 4-5", "EPSON 4-2",   "STAR 4-5",
                                                 "STAR 4-2",  "RB2900/3900", "Zadane rucne"};

std::optional<DrawerBytes> DrawerSequence(int row, const std::array<int32_t, 10>& manual) {
  if (!Position(row, kDrawerNames.size())) return std::nullopt;
  if (row < kManualDrawerRow) return DrawerSequences[static_cast<size_t>(row)];
  DrawerBytes bytes{};
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(manual[i] & 0xFF);
  return bytes;
}

bool ApplyDrawerRow(int row, Config& cfg) {
  const std::optional<DrawerBytes> bytes = DrawerSequence(row, cfg.drawer);
  if (!bytes) return false;
  for (size_t i = 0; i < bytes->size(); ++i) cfg.drawer[i] = (*bytes)[i];
  cfg.drawer_idx = row;
  return true;
}

}  // namespace kv
