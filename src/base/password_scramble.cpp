#include "base/password_scramble.h"

#include <string_view>

namespace quilmo {
namespace {

// The cipher alphabet is a fixed permutation of the plain one, so every scrambled password
// unscrambles to exactly what was typed. Changing either line makes every stored password
// unreadable.
constexpr std::string_view kPlain =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!#$%&*+-.=?@_";
constexpr std::string_view kCipher =
    "s0$.G=1SR2Y4k?I-x*PB&@ZyNn_+b7UvtM9iOqzjJmCL6K5FQVTeoH3E%Du!8aApwclWhXgf#dr";
static_assert(kPlain.size() == kCipher.size());

QString Substitute(const QString& text, std::string_view from, std::string_view to) {
  QString out = text;
  for (QChar& c : out) {
    if (c.unicode() >= 0x80) continue;  // never part of an alphabet: every byte passes as is
    const size_t at = from.find(static_cast<char>(c.unicode()));
    if (at != std::string_view::npos) c = QLatin1Char(to[at]);
  }
  return out;
}

}  // namespace

QString ScramblePassword(const QString& text) { return Substitute(text, kPlain, kCipher); }

QString UnscramblePassword(const QString& text) { return Substitute(text, kCipher, kPlain); }

}  // namespace quilmo
