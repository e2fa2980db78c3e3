#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/operator_boxes.h"
#include "base/view.h"
#include "support/temp_dir.h"

// What the fuzz targets share: the input as bytes, a scratch directory for parsers that read
// files, and seams that answer without a screen.

namespace kv::fuzz {

// A broken property: reported like a sanitizer finding, so libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                             \
  do {                                                                                    \
    if (!(condition)) {                                                                   \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                       \
    }                                                                                     \
  } while (0)

inline std::string_view Bytes(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A directory of this process, removed when it ends normally.
inline const kv::test::TempDir& Scratch() {
  static const kv::test::TempDir dir;
  return dir;
}

// Replaces the file at `path` with `bytes`.
inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

// Every box takes its default answer, as without a screen.
class DefaultBoxes final : public OperatorBoxes {
 public:
  BoxAnswer Show(const Box& box) override { return DefaultAnswer(box); }
};

// A view that hands every text it is given to `check`.
class TextView : public View {
 public:
  virtual void Check(std::string_view text) { (void)text; }

  void SetText(std::string_view, std::string_view text) override { Check(text); }
  void SetHint(std::string_view, std::string_view hint) override { Check(hint); }
  void SetItemText(std::string_view, int, std::string_view text) override { Check(text); }
  void SetItems(std::string_view, const std::vector<std::string>& items) override {
    for (const std::string& item : items) Check(item);
  }
  void SetItemIndex(std::string_view, int) override {}
  void SetCell(std::string_view, int, int, std::string_view text) override { Check(text); }
  void SetChecked(std::string_view, bool) override {}
  void SetVisible(std::string_view, bool) override {}
  void SetEnabled(std::string_view, bool) override {}
  void ShowWindow(std::string_view, WindowState) override {}
  void SetTrayPicture(int) override {}
  void SetTrayHint(std::string_view hint) override { Check(hint); }
  void SetLocale(std::string_view, std::string_view) override {}
};

}  // namespace kv::fuzz
