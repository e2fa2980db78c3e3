#pragma once

#include <QPixmap>

namespace kv {

// The pictures of the tray menu, by their position in the main window's picture list
// (ImageList1, 32 by 32): 2 backup, 4 till, 5 X report, 6 daily close, 7 monthly close,
// 8 reports window, 9 copy of the last document, 10 copy of the last daily close, 12 clock,
// 13 drawer, 14 settings, 15 connect, 16 journal, 17 error file. Positions 0 and 1 are the
// tray pictures (TrayIcon::Picture). Any other position gives an empty picture.
QPixmap MenuPicture(int position);

}  // namespace kv
