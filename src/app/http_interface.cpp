#include "app/http_interface.h"

#include <ctime>

#include "api/http_server_options.h"
#include "base/ini_file.h"
#include "core/print_manager.h"

namespace kv {

std::unique_ptr<HttpInterface> HttpInterface::Start(TSRB4900& pm, Clock& clock) {
  const IniFile ini(pm.files().ProgramFile(kConfigFileName));
  HttpSettings settings = ReadHttpSettings(ini);
  if (settings.problem) {
    pm.files().LogError(*settings.problem);
    return nullptr;
  }
  if (!settings.enabled) return nullptr;
  if (const auto note = HttpSettingsNote(settings)) pm.files().LogError(*note);
  std::unique_ptr<HttpInterface> http(new HttpInterface(pm, clock, settings));
  if (const auto damage = http->store_.Damage()) pm.files().LogError("HTTP: " + *damage);
  HttpInterface* target = http.get();
  std::string error;
  http->server_ = HttpServer::Start(
      ServerOptionsFor(settings, pm.config(), pm.counters(), pm.files().ErrorFilePath()),
      // Called on the server's thread: the inbox is emptied on the main thread.
      [target] {
        QMetaObject::invokeMethod(target, [target] { target->TakeFromServer(); },
                                  Qt::QueuedConnection);
      },
      error);
  if (!http->server_) {
    pm.files().LogError("HTTP rozhranie sa nepodarilo spustit na " + settings.address + ":" +
                        std::to_string(settings.port) + " (" + error + ")");
    return nullptr;
  }
  http->PublishStatus(pm.link().Leased());
  pm.link().SetLeaseWatcher([target](bool leased) { target->PublishStatus(leased); });
  return http;
}

HttpInterface::HttpInterface(TSRB4900& pm, Clock& clock, HttpSettings settings)
    : pm_(pm),
      settings_(std::move(settings)),
      printer_({pm.config(), pm.lang(), pm.files(), pm.link(), pm.readouts(),
                pm.device_commands(), pm.receipts()}),
      store_(pm.files().ProgramFile("http_keys.txt"),
             [] { return static_cast<int64_t>(std::time(nullptr)); }),
      service_({settings_, pm.config(), pm.link(), printer_, store_, retry_timer_, clock,
                [&pm](int n) { return pm.Msg(n); }}) {
  connect(&retry_qtimer_, &QTimer::timeout, this, [this] { service_.RetryTick(); });
}

HttpInterface::~HttpInterface() {
  if (server_) pm_.link().SetLeaseWatcher(nullptr);
  server_.reset();  // its thread ends before the parts it reports to go
}

void HttpInterface::TakeFromServer() {
  if (!server_) return;
  for (const std::string& line : server_->TakeLogLines()) pm_.files().LogError(line);
  for (HttpServer::Pending& pending : server_->TakeRequests()) {
    service_.Submit(pending.request, [this, id = pending.id](const ApiAnswer& answer) {
      if (server_) server_->Answer(id, answer);
    });
  }
}

void HttpInterface::PublishStatus(bool busy) {
  if (server_) server_->PublishStatus(printer_.LastStatus(), busy);
}

}  // namespace kv
