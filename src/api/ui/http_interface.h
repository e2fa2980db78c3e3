#pragma once

#include <QAbstractHttpServer>
#include <QTimer>
#include <memory>

#include "api/api_printer.h"
#include "api/api_service.h"
#include "api/http_settings.h"
#include "api/idempotency_store.h"
#include "core/ui/qt_timer.h"

namespace kv {

class Clock;
class TSRB4900;

// The local HTTP/JSON interface on Qt's event loop: the server takes each request apart into
// an ApiRequest and writes the answer back when ApiService gives it (at once, or after waiting
// for the printer's lease). Created only when the section HTTP enables it; without that no
// port is opened.
class HttpInterface final : public QAbstractHttpServer {
  Q_OBJECT

 public:
  // Reads the section HTTP; nothing (and FM_err.txt says why, when it was enabled) when the
  // interface stays off.
  static std::unique_ptr<HttpInterface> Start(TSRB4900& pm, Clock& clock);
  ~HttpInterface() override;

 protected:
  bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
  void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

 private:
  HttpInterface(TSRB4900& pm, Clock& clock, HttpSettings settings);

  HttpSettings settings_;
  ApiPrinter printer_;
  IdempotencyStore store_;
  QTimer retry_qtimer_;
  QtTimer retry_timer_{retry_qtimer_};
  ApiService service_;
};

}  // namespace kv
