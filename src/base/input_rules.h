#pragma once

#include <QString>

#include "base/ui.h"

namespace quilmo {

// What the input dialog says about a text before accepting it: an empty string when the
// text is acceptable for the kind, else the message to show.
QString CheckInput(InputKind kind, const QString& text);

// The value the input dialog starts with: empty for free text, "0" for every other kind.
QString InitialInputValue(InputKind kind);

}  // namespace quilmo
