#pragma once

#include <QString>

namespace quilmo {

// The server password is kept in the settings file after a substitution between two secret
// alphabets, so that it is not readable at a glance. A character outside the plain alphabet
// (any byte of a Chinese character, for one) passes unchanged; the output has the input's
// length. This keeps the file unreadable to a passer-by, not to an attacker.
QString ScramblePassword(const QString& text);
QString UnscramblePassword(const QString& text);

}  // namespace quilmo
