// The Windows message endpoint: a hidden top-level window with the configured title, and
// registered window messages posted between such windows. A top-level window (not a message-only
// one) so that it also hears the end of the session.

#include <windows.h>
// The endpoint's own method has this name; the system's function is called as FindWindowA.
#undef FindWindow

#include "platform/message_endpoint.h"

namespace kv {

namespace {

constexpr const char* kWindowClass = "KV4910MessageWindow";
// Registered window messages lie in this range; the system's own messages lie below it.
constexpr UINT kFirstRegistered = 0xC000;
constexpr UINT kLastRegistered = 0xFFFF;

// The window handle as the 32-bit value a message carries (a handle's upper half is always the
// sign extension of the lower, so this loses nothing), and back.
int32_t HandleValue(HWND hwnd) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(hwnd));
}
HWND HandleOf(int32_t value) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(value));
}

std::string SystemErrorText(const char* what, DWORD error) {
  return std::string(what) + " failed (Windows error " + std::to_string(error) + ")";
}

class WindowEndpoint final : public MessageEndpoint {
 public:
  ~WindowEndpoint() override {
    if (hwnd_) DestroyWindow(hwnd_);
    if (instance_) CloseHandle(instance_);
  }

  uint32_t RegisterMessage(std::string_view name) override {
    if (name.empty()) return 0;
    return RegisterWindowMessageA(std::string(name).c_str());
  }

  OpenResult Open(std::string_view title) override {
    problem_.clear();
    if (hwnd_) return OpenResult::Opened;
    const std::string text(title);
    // The named object makes the single-instance check atomic: two programs starting at once
    // cannot both find no window and then both create one. It lives as long as this process.
    const std::string object = "Local\\kv4910-window-" + SanitizeWindowTitle(title);
    HANDLE instance = CreateMutexA(nullptr, FALSE, object.c_str());
    if (!instance) {
      problem_ = SystemErrorText("CreateMutex", GetLastError());
      return OpenResult::Failed;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS || ::FindWindowA(nullptr, text.c_str())) {
      CloseHandle(instance);
      return OpenResult::AlreadyRunning;
    }
    if (!RegisterClassOnce()) {
      CloseHandle(instance);
      return OpenResult::Failed;
    }
    // Never shown: WS_OVERLAPPED without WS_VISIBLE.
    hwnd_ = CreateWindowExA(0, kWindowClass, text.c_str(), WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                            nullptr, GetModuleHandleA(nullptr), this);
    if (!hwnd_) {
      problem_ = SystemErrorText("CreateWindowEx", GetLastError());
      CloseHandle(instance);
      return OpenResult::Failed;
    }
    instance_ = instance;
    return OpenResult::Opened;
  }

  bool IsOpen() const override { return hwnd_ != nullptr; }
  std::string Problem() const override { return problem_; }
  int32_t OwnHandle() const override { return HandleValue(hwnd_); }

  std::optional<MessagePeer> FindWindow(std::string_view title) override {
    HWND found = ::FindWindowA(nullptr, std::string(title).c_str());
    if (!found) return std::nullopt;
    return MessagePeer{HandleValue(found), {}};
  }

  // Posted messages carry no sender: `from` stays empty, so the registration's handle is where
  // the answers go and any window may ask once a client is registered.
  std::optional<ReceivedMessage> Receive() override {
    if (!hwnd_) return std::nullopt;
    TakeSystemMessages();
    MSG msg;
    if (!PeekMessageA(&msg, hwnd_, kFirstRegistered, kLastRegistered, PM_REMOVE))
      return std::nullopt;
    if (msg.message == WM_QUIT) {  // taken whatever the filter says
      end_requested_ = true;
      return std::nullopt;
    }
    return ReceivedMessage{msg.message, static_cast<uint32_t>(msg.wParam),
                           static_cast<int32_t>(msg.lParam), {}};
  }

  bool WaitForMessage(int timeout_ms) override {
    const DWORD wait = timeout_ms < 0 ? 0 : static_cast<DWORD>(timeout_ms);
    return MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE) ==
           WAIT_OBJECT_0;
  }

  int NotifyFd() const override { return -1; }

  bool Post(const MessagePeer& to, uint32_t msg, uint32_t wparam, int32_t lparam) override {
    if (to.handle == 0) return false;
    return PostMessageA(HandleOf(to.handle), msg, wparam, static_cast<LPARAM>(lparam)) != 0;
  }

  bool EndRequested() override {
    TakeSystemMessages();
    return end_requested_;
  }

 private:
  bool RegisterClassOnce() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &WindowEndpoint::WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    if (RegisterClassA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return true;
    problem_ = SystemErrorText("RegisterClass", GetLastError());
    return false;
  }

  // Takes every queued message below the registered range (sent ones are handled on the way),
  // leaving the clients' messages queued until the program takes them.
  void TakeSystemMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, kFirstRegistered - 1, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        end_requested_ = true;
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  // The system asks the program to end by closing its window or ending the session. The
  // window stays until the program has stopped: it ends at its loop's next turn, and the
  // session waits for the close-console handler, not for this window.
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<WindowEndpoint*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (msg) {
      case WM_QUERYENDSESSION:
        return TRUE;  // nothing here holds the session back
      case WM_ENDSESSION:
        if (wparam && self) self->end_requested_ = true;
        return 0;
      case WM_CLOSE:
        if (self) self->end_requested_ = true;
        return 0;
      default:
        return DefWindowProcA(hwnd, msg, wparam, lparam);
    }
  }

  HWND hwnd_ = nullptr;
  HANDLE instance_ = nullptr;
  std::string problem_;
  bool end_requested_ = false;
};

}  // namespace

std::string WindowPlaceText(std::string_view) {
  return {};
}

std::unique_ptr<MessageEndpoint> CreateMessageEndpoint(Clock&) {
  return std::make_unique<WindowEndpoint>();
}

std::unique_ptr<MessageEndpoint> CreateMessageEndpoint() {
  return std::make_unique<WindowEndpoint>();
}

}  // namespace kv
