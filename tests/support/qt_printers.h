#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <ostream>

// So that a failed comparison of Qt values prints the values, Chinese text included.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) {
  *os << '[' << l.join(QStringLiteral(", ")).toStdString() << ']';
}
inline void PrintTo(const QVariant& v, std::ostream* os) { *os << v.toString().toStdString(); }
