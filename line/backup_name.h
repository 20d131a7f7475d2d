#pragma once
// Names of the backups a clone takes of each camera before writing it.

#include <QDateTime>

#include <string>

namespace cam {

// "<port>_<device>_<yyyyMMdd-HHmmss>.dat" from the last path component of
// each; the device is left out when empty or named like the port. Characters
// other than A-Z a-z 0-9 . _ - become '_'; the name never starts with '.'.
// usb-FTDI_A1_ttyUSB3_20261210-181501.dat
std::string BackupFileName(const std::string& port, const std::string& device,
                           const QDateTime& when);

// dir/name, or dir/<stem>-2<ext>, -3, ... when that name is taken: a backup
// is never written over. The check and the write are not one step; the
// writer has to refuse an existing file as well.
std::string UniquePath(const std::string& dir, const std::string& name);

} // namespace cam
