#pragma once

#include <QByteArray>
#include <QString>

namespace quilmo {

// Text to and from the till's GBK world: the settings file, the printer and the pole display
// all speak GBK. We encode with GB18030, its superset, so a character outside GBK still
// round-trips instead of turning into '?', while every GBK character keeps its GBK bytes.

// Decodes GBK/GB18030 bytes. Invalid byte sequences become U+FFFD and decoding carries on;
// *ok (when given) is set to false if any were met.
QString DecodeGbk(const QByteArray& bytes, bool* ok = nullptr);

// Encodes to GB18030 bytes (identical to GBK for every GBK character).
QByteArray EncodeGbk(const QString& text);

}  // namespace quilmo
