#pragma once

namespace kv {

// What the link and the readouts ask of the state above them (the start-up state and the print
// job). The print manager object implements it; the link never sees those parts. The files
// they report into are ErrorLog and ResultFiles.
class LinkHost {
 public:
  virtual ~LinkHost() = default;

  // Until the first print-job tick a bring-up that found the printer is followed by the
  // start-up reads (currency, VAT rates, device record).
  virtual bool StartupReadsDue() = 0;
  // A print job or a send is in progress: the readouts then show nothing of their own (no
  // exchange of theirs cuts into the job's).
  virtual bool JobBusy() = 0;
};

}  // namespace kv
