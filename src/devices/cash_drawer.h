#pragma once

#include <QByteArray>
#include <QString>

#include "base/ui.h"

namespace quilmo {

class PoleDisplay;

// The drawer command as the settings write it, decimal byte codes joined by "+"
// ("27+112+0+50+250"), turned into the bytes sent: a token that reads as a 32-bit integer
// (leading blanks and a sign allowed, "$", "x" or "0x" for hexadecimal) gives its low 8 bits;
// any other token, an empty one included, gives its own characters.
QByteArray DrawerCommandBytes(const QString& command);

// The speed of a drawer wired behind the customer display.
inline constexpr int kDrawerBaud = 2400;

// Opens the cash drawer the way HardWareSet/CashBoxPort says it is wired: "0" behind the
// receipt printer (the command and CR LF to the printer's port), "1" on a drawer card driven by
// a program in the program's folder (started, not waited for), "2" behind the customer
// display (the command alone at 2400,n,8,1). A drawer that is not set up is told in a box and
// nothing is sent. A port that cannot be written throws DeviceError.
void OpenCashDrawer(const QString& ini_file, const QString& program_folder, Ui& ui,
                    PoleDisplay& display);

}  // namespace quilmo
