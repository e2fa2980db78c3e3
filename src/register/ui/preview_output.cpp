#include "register/ui/preview_output.h"

#include <QPlainTextEdit>

#include "register/ui/field_events.h"

namespace kv {

void PreviewOutput::ClearPreview() {
  if (preview_) preview_->clear();
}

void PreviewOutput::AppendPreview(std::string_view text) {
  if (!preview_) return;
  // One entry; its own line breaks become lines of the preview, the one that ends it does not
  // add an empty line.
  QString lines = FromCp1250(text);
  lines.replace("\r\n", "\n");
  if (lines.endsWith('\n')) lines.chop(1);
  preview_->appendPlainText(lines);
}

}  // namespace kv
