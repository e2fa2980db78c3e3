#pragma once

#include <string_view>

namespace kv {

// The printer port as the till writes it: the port's plain string write, no handshake per byte
// and no answer read. False when the serial layer failed (after the failure has been reported).
class TillPortWriter {
 public:
  virtual ~TillPortWriter() = default;
  virtual bool WritePort(std::string_view bytes) = 0;
};

// Where the till's command text goes: the sale screen's document preview (`RE_doklad`) and the
// printer port. The till writes each piece at once as the operator works; nothing waits for the
// bytes to leave the port and no answer is read.
//
// The implementation on top of the link writes the port with the plain string write and
// returns false when the serial layer fails (after the failure has been reported); the
// document being written then stops where it is.
class TillOutput {
 public:
  virtual ~TillOutput() = default;

  virtual void ClearPreview() = 0;
  // One preview entry; line breaks inside it become preview lines.
  virtual void AppendPreview(std::string_view text) = 0;
  virtual bool WritePort(std::string_view bytes) = 0;

  // The text as one preview entry and on the port.
  bool SendPiece(std::string_view text) {
    AppendPreview(text);
    return WritePort(text);
  }
  // The text as one preview entry and on the port, followed on the port by CR LF.
  bool SendLine(std::string_view text) {
    AppendPreview(text);
    return WritePort(text) && WritePort("\r\n");
  }
};

}  // namespace kv
