#include "core/print_manager.h"

#include "core/file_io.h"
#include "link/link_host.h"

namespace kv {

// The link and the readouts reach the working files and the start-up state through this.
class TSRB4900::Host final : public LinkHost {
 public:
  explicit Host(TSRB4900& pm) : pm_(pm) {}

  bool StartupReadsDue() override { return pm_.startup().first_tick; }
  bool JobBusy() override { return pm_.jobs_.busy() || pm_.receipts_.sending(); }

 private:
  TSRB4900& pm_;
};

TSRB4900::TSRB4900(PrintManagerServices services)
    : clock_(services.clock),
      boxes_(services.boxes),
      view_(services.view),
      timer_prmgr_(services.timer_prmgr),
      timer_msg_(services.timer_msg),
      app_(services.app),
      local_time_(SystemLocalTime),
      host_(std::make_unique<Host>(*this)),
      lang_(cfg_, program_dir_, boxes_, view_),
      // The files come before the link that reports into them; they read the link's state
      // only when they write.
      files_(clock_, app_, boxes_, view_, cfg_, lang_, link_, program_dir_, local_time_),
      link_({clock_, boxes_, view_, app_, cfg_, lang_, *host_, files_, files_, local_time_,
             services.port_backend}),
      readouts_({link_, cfg_, lang_, boxes_, view_, *host_, files_, files_}),
      receipts_({clock_, app_, boxes_, view_, cfg_, lang_, link_, readouts_, files_, files_,
                 counters_}),
      jobs_({clock_, app_, boxes_, view_, timer_prmgr_, cfg_, lang_, link_, readouts_, receipts_,
             files_, startup_, local_time_, counters_}),
      client_messaging_({clock_, app_, boxes_, timer_prmgr_, timer_msg_, cfg_, lang_, link_,
                         readouts_, files_, jobs_, program_dir_, local_time_}),
      users_(cfg_.users),
      device_commands_(
          {boxes_, view_, timer_prmgr_, cfg_, lang_, link_, readouts_, files_, local_time_,
           counters_}),
      till_(link_, readouts_, cfg_, lang_, boxes_, counters_) {}

TSRB4900::~TSRB4900() {
  // The repeat counts name the printer: written while the link is still there.
  files_.FlushErrorRepeats();
}

}  // namespace kv
