#pragma once

#include <QObject>
#include <QTimer>
#include <memory>

#include "api/api_printer.h"
#include "api/api_service.h"
#include "api/http_server.h"
#include "api/http_settings.h"
#include "api/idempotency_store.h"
#include "qt/qt_timer.h"

namespace kv {

class Clock;
class TSRB4900;

// The local HTTP/JSON interface on Qt's event loop: the server's thread (HttpServer) takes the
// requests in; this object hands them to ApiService on the main thread, gives the answers back,
// and publishes the printer's status for the server whenever the printer is taken or given
// back. Created only when the section HTTP enables it; without that no port is opened.
class HttpInterface final : public QObject {
  Q_OBJECT

 public:
  // Reads the section HTTP; nothing (and FM_err.txt says why, when it was enabled) when the
  // interface stays off.
  static std::unique_ptr<HttpInterface> Start(TSRB4900& pm, Clock& clock);
  ~HttpInterface() override;

 private:
  HttpInterface(TSRB4900& pm, Clock& clock, HttpSettings settings);
  // The server's inbox: its lines for the error file and the requests waiting.
  void TakeFromServer();
  void PublishStatus(bool busy);

  TSRB4900& pm_;
  HttpSettings settings_;
  ApiPrinter printer_;
  IdempotencyStore store_;
  QTimer retry_qtimer_;
  QtTimer retry_timer_{retry_qtimer_};
  ApiService service_;
  std::unique_ptr<HttpServer> server_;
};

}  // namespace kv
