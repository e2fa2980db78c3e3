#include "core/print_manager.h"

#include "core/file_io.h"
#include "link/link_host.h"

namespace kv {

// The link and the readouts reach the working files and the start-up state through this.
class TSRB4900::Host final : public LinkHost {
 public:
  explicit Host(TSRB4900& pm) : pm_(pm) {}

  bool StartupReadsDue() override { return pm_.startup.first_tick; }
  std::string NoticeText() override { return pm_.startup.notice_text; }
  bool JobBusy() override { return pm_.jobs_.busy(); }

 private:
  TSRB4900& pm_;
};

TSRB4900::TSRB4900(PrintManagerServices services)
    : clock(services.clock),
      boxes(services.boxes),
      view(services.view),
      Timer_prmgr(services.timer_prmgr),
      Timer_msg(services.timer_msg),
      app(services.app),
      local_time(SystemLocalTime),
      host_(std::make_unique<Host>(*this)),
      lang_(cfg, program_dir, boxes, view),
      // The files come before the link that reports into them; they read the link's state
      // only when they write.
      files_(clock, app, boxes, view, cfg, lang_, link_, program_dir, local_time),
      link_({clock, boxes, view, app, cfg, lang_, *host_, files_, files_, local_time,
             services.port_backend}),
      readouts_({link_, cfg, lang_, boxes, view, *host_, files_, files_}),
      jobs_({clock, app, boxes, view, Timer_prmgr, cfg, lang_, link_, readouts_, files_, startup,
             local_time}),
      client_messaging_({clock, app, boxes, Timer_prmgr, Timer_msg, cfg, lang_, link_, readouts_,
                         files_, jobs_, program_dir, local_time}),
      users_(cfg.users),
      device_commands_(
          {boxes, view, Timer_prmgr, cfg, lang_, link_, readouts_, files_, local_time}),
      till_(link_, readouts_, cfg, lang_, boxes) {}

TSRB4900::~TSRB4900() {
  // The repeat counts name the printer: written while the link is still there.
  files_.FlushErrorRepeats();
}

}  // namespace kv
