#pragma once

#include <optional>
#include <string>

#include "api/api_printer.h"
#include "api/api_service.h"
#include "api/http_settings.h"
#include "api/idempotency_store.h"
#include "support/fake_timer.h"
#include "support/print_manager_fixture.h"

namespace kv::test {

// The HTTP interface in process, without its server, over the parts of a print manager on its
// fakes: enabled, with the token "secret", its keys in the print manager's directory.
class ApiOnPrintManager {
 public:
  explicit ApiOnPrintManager(PrintManagerFakes& f)
      : printer({f.pm.config(), f.pm.lang(), f.pm.files(), f.pm.link(), f.pm.readouts(),
                 f.pm.device_commands(), f.pm.receipts()}),
        store(f.dir / "http_keys.txt", [] { return int64_t{1'800'000'000}; }),
        service({settings, f.pm.config(), f.pm.link(), printer, store, retry, f.clock,
                 [&f](int n) { return f.pm.Msg(n); }}) {
    settings.enabled = true;
    settings.token = "secret";
  }

  // Posts a body and returns the answer, which comes at once while the printer is free.
  ApiAnswer Post(const std::string& path, const std::string& body) {
    std::optional<ApiAnswer> answer;
    service.Submit({"POST", "/api/v1" + path, "Bearer secret", std::nullopt, body, false},
                   [&answer](const ApiAnswer& a) { answer = a; });
    return answer.value_or(ErrorAnswer(0, "none", "no answer"));
  }

  HttpSettings settings;
  ApiPrinter printer;
  IdempotencyStore store;
  FakeTimer retry;
  ApiService service;
};

}  // namespace kv::test
