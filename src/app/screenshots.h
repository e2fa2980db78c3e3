#pragma once

#include <QString>
#include <QStringList>

namespace kv {

class MainWindow;

// Pictures of the program's windows for the documentation (scripts/screenshots), taken once the
// message loop runs, after which the program quits. Asked for only through the environment:
//   KV4910_SCREENSHOTS          the directory the PNG files go to;
//   KV4910_SCREENSHOT_WINDOWS   the windows, comma-separated, by object name. An entry
//                               "Window:Item" first clicks the menu item Item (one that opens
//                               its window without blocking, e.g. the journal viewer);
//                               "Window/Button" presses the window's button first (the copies
//                               window fetching a stored receipt). The command menu is "PopupRB2900", grabbed open. A window that is
//                               not shown yet is shown without blocking, grabbed and hidden.
// Each picture is "<directory>/<Window>.png". Returns false when nothing was asked.
bool ScheduleScreenshots(MainWindow& window);

// One entry of the list: the picture's file, or an empty string when it could not be taken.
QString TakeScreenshot(MainWindow& window, const QString& entry, const QString& directory);

}  // namespace kv
