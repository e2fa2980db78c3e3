#pragma once

#include "register/till_output.h"

class QPlainTextEdit;

namespace kv {

// The sale screen's output: every piece goes into the hidden document preview and on to the
// printer port through the writer behind it.
class PreviewOutput final : public TillOutput {
 public:
  explicit PreviewOutput(TillPortWriter& port) : port_(port) {}

  void SetPreview(QPlainTextEdit* preview) { preview_ = preview; }

  void ClearPreview() override;
  void AppendPreview(std::string_view text) override;
  bool WritePort(std::string_view bytes) override { return port_.WritePort(bytes); }

 private:
  TillPortWriter& port_;
  QPlainTextEdit* preview_ = nullptr;
};

}  // namespace kv
