#include "api/ui/http_interface.h"

#include <QHostAddress>
#include <QHttpServerRequest>
#include <QPointer>
#include <QTcpSocket>
#include <ctime>

#include "base/ini_file.h"
#include "core/print_manager.h"

namespace kv {

namespace {

QByteArray ReasonPhrase(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 409: return "Conflict";
    case 413: return "Payload Too Large";
    case 422: return "Unprocessable Entity";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
    default: return "Error";
  }
}

std::string MethodName(QHttpServerRequest::Method method) {
  switch (method) {
    case QHttpServerRequest::Method::Get: return "GET";
    case QHttpServerRequest::Method::Post: return "POST";
    case QHttpServerRequest::Method::Put: return "PUT";
    case QHttpServerRequest::Method::Delete: return "DELETE";
    case QHttpServerRequest::Method::Head: return "HEAD";
    case QHttpServerRequest::Method::Patch: return "PATCH";
    default: return "OTHER";
  }
}

}  // namespace

std::unique_ptr<HttpInterface> HttpInterface::Start(TSRB4900& pm, Clock& clock) {
  const IniFile ini(pm.files().ProgramFile(kConfigFileName));
  HttpSettings settings = ReadHttpSettings(ini);
  if (!settings.enabled) return nullptr;
  if (const auto problem = HttpSettingsProblem(settings)) {
    pm.files().LogError(*problem);
    return nullptr;
  }
  std::unique_ptr<HttpInterface> http(new HttpInterface(pm, clock, settings));
  const QHostAddress address(QString::fromStdString(settings.address));
  if (address.isNull() || http->listen(address, static_cast<quint16>(settings.port)) == 0) {
    pm.files().LogError("HTTP rozhranie sa nepodarilo spustit na " + settings.address + ":" +
                        std::to_string(settings.port));
    return nullptr;
  }
  return http;
}

HttpInterface::HttpInterface(TSRB4900& pm, Clock& clock, HttpSettings settings)
    : settings_(std::move(settings)),
      printer_(pm),
      store_(pm.files().ProgramFile("http_keys.txt"),
             [] { return static_cast<int64_t>(std::time(nullptr)); }),
      service_({settings_, pm.config(), pm.link(), printer_, store_, retry_timer_, clock,
                [&pm](int n) { return pm.Msg(n); }}) {
  connect(&retry_qtimer_, &QTimer::timeout, this, [this] { service_.RetryTick(); });
}

HttpInterface::~HttpInterface() = default;

bool HttpInterface::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
  ApiRequest r;
  r.method = MethodName(request.method());
  r.path = request.url().path().toStdString();
  r.authorization = request.value("Authorization").toStdString();
  const QByteArray key = request.value("Idempotency-Key");
  if (!key.isNull()) r.idempotency_key = key.toStdString();
  const QByteArray body = request.body();
  r.body_too_large = static_cast<size_t>(body.size()) > ApiService::kMaxBody;
  if (!r.body_too_large) r.body = body.toStdString();

  // The socket may be gone by the time a waiting request is answered.
  QPointer<QTcpSocket> target(socket);
  service_.Submit(r, [target](const ApiAnswer& answer) {
    if (!target) return;
    const QByteArray text = QByteArray::fromStdString(answer.Text());
    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + " " +
                      ReasonPhrase(answer.status) + "\r\n";
    head += "Content-Type: application/json\r\n";
    head += "Content-Length: " + QByteArray::number(text.size()) + "\r\n\r\n";
    target->write(head + text);
  });
  return true;
}

void HttpInterface::missingHandler(const QHttpServerRequest&, QTcpSocket*) {}

}  // namespace kv
