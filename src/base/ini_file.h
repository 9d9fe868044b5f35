#pragma once

#include <QDateTime>
#include <QString>

namespace quilmo {

// The settings file QTSet.ini: a Windows private-profile file in GBK. Every call reads or
// writes the file afresh, so a value written a moment ago is seen at once by any reader.
// Section and key names match without regard to case. A missing file, section or key
// reads as an empty string.
QString ReadIniString(const QString& file, const QString& section, const QString& key);

// Stores the value at once. Writing an empty value keeps the key with an empty value.
// Lines a person wrote (comments, unknown keys, blank lines) are kept byte for byte. The file
// is replaced atomically (temporary file, then rename), because the open shift lives in it:
// a failed write leaves the previous file as it was. Returns false when it could not write;
// the error text goes to *error when given.
bool WriteIniString(const QString& file, const QString& section, const QString& key,
                    const QString& value, QString* error = nullptr);

// The text form of a date-time in the settings file (SysSet/OnDate), and back. One fixed
// format, so that the value always converts back to the same date-time.
QString FormatIniDateTime(const QDateTime& value);
QDateTime ParseIniDateTime(const QString& text);  // invalid when the text is not a date-time

}  // namespace quilmo
