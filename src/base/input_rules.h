#pragma once

#include <QString>
#include <optional>

#include "base/ui.h"

namespace quilmo {

// What the input dialog says about a text before accepting it: an empty string when the
// text is acceptable for the kind, else the message to show.
QString CheckInput(InputKind kind, const QString& text);

// The value the input dialog starts with: empty for free text, "0" for every other kind.
QString InitialInputValue(InputKind kind);

// A number as the cashier types it into an entry edit or a grid cell: digits with one optional
// point and sign ("12", "-0.5", ".5"), blanks around it ignored. Nothing for letters,
// full-width digits, exponents ("1e400"), quotes or a value beyond what an amount can hold
// (about 900 billion), so no typed text can turn into an infinite or absurd quantity.
std::optional<double> ParseTypedNumber(const QString& text);

}  // namespace quilmo
