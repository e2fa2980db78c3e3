#include "core/print_manager.h"

#include "core/file_io.h"
#include "link/link_host.h"

namespace kv {

// The link and the readouts reach the working files and the start-up state through this.
class TSRB4900::Host final : public LinkHost {
 public:
  explicit Host(TSRB4900& pm) : pm_(pm) {}

  void LogError(std::string_view text) override { pm_.files_.LogError(text); }
  void WriteInfoFile() override { pm_.files_.WriteInfoFile(); }
  void AfterBringUp() override {
    if (pm_.startup.first_tick) pm_.readouts_.FirstBringUpReads();
  }
  void AfterAutoDailyClose() override {
    pm_.readouts_.cfg_to_cis(pm_.cfg.port);
    pm_.readouts_.RequestJournal();
    pm_.readouts_.ReadJournal();
  }
  bool JobBusy() override { return pm_.jobs_.busy(); }
  void WriteDeviceInfoFiles(int32_t document_number, std::string_view record) override {
    pm_.files_.WriteDeviceInfoFiles(document_number, record);
  }
  bool OpenJournal() override { return pm_.files_.OpenJournal(); }
  bool AppendJournal(std::string_view text) override { return pm_.files_.AppendJournal(text); }

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
      link_({clock, boxes, view, app, cfg, lang_, *host_, local_time, services.port_backend}),
      readouts_(link_, cfg, lang_, boxes, view, *host_),
      files_(clock, app, boxes, view, cfg, lang_, link_, program_dir, local_time),
      jobs_({clock, app, boxes, view, Timer_prmgr, cfg, lang_, link_, readouts_, files_, startup,
             local_time}),
      client_messaging_({clock, app, boxes, Timer_prmgr, Timer_msg, cfg, lang_, link_, readouts_,
                         files_, jobs_, program_dir, local_time}),
      users_(cfg.users),
      device_commands_(
          {boxes, view, Timer_prmgr, cfg, lang_, link_, readouts_, files_, local_time}),
      till_(link_, readouts_, cfg, lang_, boxes) {}

TSRB4900::~TSRB4900() = default;

}  // namespace kv
