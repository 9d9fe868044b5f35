#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <vector>

namespace quilmo {

// The settings file QTSet.ini: a Windows private-profile file in GBK. Section and key names
// match without regard to case. A missing file, section or key reads as an empty string.
//
// What a value may hold: any text without a line break (CR or LF) or NUL, and it reads back
// exactly as written, leading and trailing blanks and tabs included. A line break would end
// the line and let the rest of the value stand as lines of its own (a pasted password could
// add a [SysSet] section ahead of the real one), so a write refuses it. A value that begins or
// ends with white space, or that is itself wrapped in double quotes, is stored between double
// quotes; a reader strips one pair of surrounding quotes, as Windows' own reader does.

// The file as it is at one moment, read once. A start-up step that reads many keys reads
// them from one snapshot instead of reading the whole file again for every key.
class IniSnapshot {
 public:
  static IniSnapshot Read(const QString& file);
  QString Value(const QString& section, const QString& key) const;
  bool exists() const { return exists_; }

 private:
  bool exists_ = false;
  // Lower-case "section\nkey" -> value, for the first section of a name and its first key.
  QHash<QString, QString> values_;
};

// Each call reads the file afresh, so a value written a moment ago is seen at once.
QString ReadIniString(const QString& file, const QString& section, const QString& key);

// Whether a value can be stored (no CR, LF or NUL).
bool IniValueAllowed(const QString& value);

struct IniEntry {
  QString section;
  QString key;
  QString value;
};

// Stores the values at once, all of them in one replacement of the file: a reader sees
// either none or all. Writing an empty value keeps the key with an empty value. Lines a person
// wrote (comments, unknown keys, blank lines) are kept byte for byte. The file is replaced
// atomically (temporary file, then rename), because the open shift lives in it: a failed write
// leaves the previous file as it was. It and its temporary copy are readable by their owner
// only, since it holds the server password. Returns false when it could not write or a value
// holds a line break; the reason goes to *error when given.
bool WriteIniStrings(const QString& file, const std::vector<IniEntry>& entries,
                     QString* error = nullptr);
bool WriteIniString(const QString& file, const QString& section, const QString& key,
                    const QString& value, QString* error = nullptr);

// Makes an existing settings file readable by its owner only (a file an older program or a
// person left readable to others). Nothing happens when there is no file.
void ProtectIniFile(const QString& file);
// The text form of a date-time in the settings file (SysSet/OnDate), and back. One fixed
// format, so that the value always converts back to the same date-time.
QString FormatIniDateTime(const QDateTime& value);
QDateTime ParseIniDateTime(const QString& text);  // invalid when the text is not a date-time

}  // namespace quilmo
