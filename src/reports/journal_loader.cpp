#include "reports/journal_loader.h"

#include <filesystem>

namespace kv {

namespace {

void AppendShown(std::string& text, unsigned char byte) {
  if (byte == 13) return;
  if (byte == 10 || byte >= 32) {
    text += static_cast<char>(byte);
    return;
  }
  text += '~';
  text += std::to_string(byte);
  text += '~';
}

}  // namespace

JournalLoader::JournalLoader(const std::string& path, std::string_view missing_prefix) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    text_.assign(missing_prefix);
    text_ += path;
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
  for (size_t i = 0; i < n; ++i) AppendShown(text_, chunk_[i]);
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
