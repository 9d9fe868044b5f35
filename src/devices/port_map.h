#pragma once

#include <QString>

namespace quilmo {

// The settings name ports as the shop's tills always have ("LPT1" … "LPT3", "Com1" … "Com4").
// On this platform each name stands for a device path. The section [DevicePorts] of QTSet.ini
// maps a name to a path (LPT1=/dev/usb/lp0, Com1=/dev/ttyUSB0 for a USB serial adapter); a
// name it does not list takes the default below. A path may also be a plain file: the output
// then collects in it, which is how a till without a printer keeps what it would have printed.
inline constexpr char kDevicePortsSection[] = "DevicePorts";

// The default device of a port name, or an empty text for a name that is none of ours:
// LPTn is the n-th USB printer (/dev/usb/lpN-1), Comn the n-th serial port (/dev/ttySN-1).
// Names match without regard to case, as the devices of the old platform did.
QString DefaultDevicePath(const QString& port);

// The device path of a port name: the settings' mapping, else the default. A name that starts
// with "/" is taken as a path itself. Empty when the name maps to nothing.
QString DevicePath(const QString& ini_file, const QString& port);

// The number of the display's serial port: "Com1" … "Com4" give 1 … 4, compared exactly;
// anything else, an empty text or "COM2" included, gives 1.
int DisplayPortNumber(const QString& screen_port);

// "Com1" … "Com4" for a port number.
QString SerialPortName(int number);

}  // namespace quilmo
