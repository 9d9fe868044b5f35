#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <ostream>

#include "base/money.h"

// So that a failed comparison of Qt values prints the values, Chinese text included.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) {
  *os << '[' << l.join(QStringLiteral(", ")).toStdString() << ']';
}
inline void PrintTo(const QVariant& v, std::ostream* os) { *os << v.toString().toStdString(); }

namespace quilmo {
// Amounts print as the cashier reads them.
inline void PrintTo(Money m, std::ostream* os) { *os << m.ShortText().toStdString(); }
// An exact amount in a test: M("50.97").
inline Money M(const char* text) { return *Money::Parse(QString::fromLatin1(text)); }
}  // namespace quilmo
