#include "reports/journal_loader.h"

#include <filesystem>

#include "lang/codepage.h"

namespace kv {

namespace {

// Starts a new display line when `width` more characters would make the current one too long.
void BreakBefore(std::string& text, size_t& column, size_t width) {
  if (column + width <= kJournalLineLimit) return;
  text += '\n';
  column = 0;
}

void AppendShown(std::string& text, size_t& column, unsigned char byte) {
  if (byte == 13) return;
  if (byte == 10) {
    text += '\n';
    column = 0;
    return;
  }
  if (byte >= 32) {
    BreakBefore(text, column, 1);
    text += static_cast<char>(byte);
    ++column;
    return;
  }
  const std::string shown = "~" + std::to_string(byte) + "~";
  BreakBefore(text, column, shown.size());  // never inside a "~n~"
  text += shown;
  column += shown.size();
}

}  // namespace

JournalLoader::JournalLoader(const std::string& path, std::string_view missing_prefix) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    // The path is the system's (UTF-8); the viewer's text is cp1250.
    text_.assign(missing_prefix);
    text_ += Utf8ToCp1250(path);
    return;
  }
  file_ = std::fopen(path.c_str(), "rb");
  failed_ = file_ == nullptr;
}

JournalLoader::~JournalLoader() {
  Close();
}

void JournalLoader::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

std::string_view JournalLoader::Step(size_t max_bytes) {
  if (!file_) return {};
  const size_t start = text_.size();
  chunk_.resize(max_bytes == 0 ? 1 : max_bytes);
  const size_t n = std::fread(chunk_.data(), 1, chunk_.size(), file_);
  for (size_t i = 0; i < n; ++i) AppendShown(text_, column_, chunk_[i]);
  if (n < chunk_.size()) {
    failed_ = std::ferror(file_) != 0;
    Close();
  }
  return std::string_view(text_).substr(start);
}

std::string LoadJournalText(const std::string& path, std::string_view missing_prefix) {
  JournalLoader loader(path, missing_prefix);
  while (!loader.done()) loader.Step();
  return loader.text();
}

}  // namespace kv
