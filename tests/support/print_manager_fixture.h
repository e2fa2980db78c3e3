#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/print_manager.h"
#include "platform/memory_line.h"
#include "platform/serial_memory.h"
#include "support/fake_app_shell.h"
#include "support/fake_clock.h"
#include "support/fake_timer.h"
#include "support/recording_view.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace kv::test {

// The print manager object with a fake for every service: a fake clock, scripted boxes, a
// recording view, the two timers, the application shell, and its program directory in a
// temporary directory. Its serial port is end a() of an in-memory line; a printer (the
// simulator or a scripted one) takes end b().
class PrintManagerFakes {
 public:
  PrintManagerFakes()
      : line(clock),
        pm(PrintManagerServices{clock, boxes, view, timer_prmgr, timer_msg, shell,
                                [this] { return MakeMemoryComBackend(line.a(), clock); }}) {
    pm.SetProgramDir(dir.path());
  }

  // Message n reads `format` filled with n ("[%d]" makes "[12]"), so a test sees which message
  // was used.
  void NumberMessages(const char* format) {
    for (int n = 1; n < MessageTable::kSlots; ++n)
      std::snprintf(pm.lang().messages().Slot(n).data(), MessageTable::kSlotSize, format, n);
  }
  // The working files in the temporary directory, the one port of the line chosen, the shop's
  // date and time.
  void WorkInTempDirOnTheLine() {
    pm.config().path_info = dir.path();
    pm.config().path_out = dir / "zurnal.txt";
    pm.link().SetPortNames({"mem0"});
    pm.config().port = 0;
    pm.SetLocalTime(test::ShopTime);
  }

  FakeClock clock;
  MemoryLine line;
  ScriptedBoxes boxes;
  RecordingView view;
  FakeTimer timer_prmgr;
  FakeTimer timer_msg{250};
  FakeAppShell shell;
  TempDir dir;
  TSRB4900 pm;
};

class PrintManagerTest : public ::testing::Test, public PrintManagerFakes {};

// The bytes of the exchanges the tests look for on the line.
inline const std::string kStatusQuery("\x1b\x11", 2);
inline const std::string kIdentify(
    "\x0c\x0d\x03\x1b"
    "e\x1bi",
    7);
inline const std::string kDeviceRecordRequest("\x0c\x0d\x03\x1bI", 5);

}  // namespace kv::test
