#include <windows.h>

#include "platform/com_port_backend.h"

namespace kv {

namespace {

// The Windows build has no serial backend yet: every port fails to open, with the system's
// "not supported" error in the message, so the operator and the error file say why. TComPort
// calls nothing else on a backend that did not open.
class UnavailableComBackend final : public ComBackend {
 public:
  void Open(const std::string&) override { Refuse(kComOpenFailed); }
  void Close() noexcept override {}
  void SetupBuffers(const TComBuffer&) override { Refuse(kComSetupFailed); }
  void ApplySettings(const ComLineSettings&) override { Refuse(kComSetStateFailed); }
  void ApplyTimeouts(const TComTimeouts&) override { Refuse(kComSetTimeoutsFailed); }
  size_t Write(const char*, size_t) override { Refuse(kComWriteFailed); }
  size_t Read(char*, size_t) override { Refuse(kComReadFailed); }
  size_t InputCount() override { Refuse(kComStatusFailed); }
  size_t OutputCount() override { Refuse(kComStatusFailed); }
  void Purge(bool, bool) override { Refuse(kComPurgeFailed); }
  TComSignals Signals() override { Refuse(kComModemStatusFailed); }
  void SetDTR(bool) override { Refuse(kComEscapeFailed); }
  void SetRTS(bool) override { Refuse(kComEscapeFailed); }
  void StartEvents(TComEvents, std::function<void(TComEvents)>) override {
    Refuse(kComInvalidAsync);
  }
  void StopEvents() noexcept override {}
  bool EventsOnOwnThread() const override { return false; }
  bool OutputCountKnown() const override { return false; }

 private:
  [[noreturn]] static void Refuse(int code) { throw EComPort(code, ERROR_NOT_SUPPORTED); }
};

}  // namespace

std::unique_ptr<ComBackend> MakeSystemComBackend() {
  return std::make_unique<UnavailableComBackend>();
}

}  // namespace kv
