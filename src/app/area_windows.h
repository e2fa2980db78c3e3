#pragma once

#include <memory>

#include "register/ui/till_windows.h"
#include "reports/ui/copy_windows.h"
#include "reports/ui/journal_windows.h"

namespace kv {

class TSRB4900;

// The areas' windows as the program wires them: their parts taken from the print manager, and
// the hooks by which the print manager opens them. The application and the window tests build
// them the same way.
CopyWindows::Parts CopyWindowParts(TSRB4900& pm);
TillWindows::Parts TillWindowParts(TSRB4900& pm);
std::unique_ptr<JournalWindows> MakeJournalWindows(TSRB4900& pm);

// The monthly close command shows `journal`'s dialog; nullptr cuts the hook.
void ConnectJournalWindows(TSRB4900& pm, JournalWindows* journal);
// A print-job tick that opens the till shows `till`'s sale window once the tick is over;
// nullptr cuts the hook.
void ConnectTillWindows(TSRB4900& pm, TillWindows* till);

}  // namespace kv
