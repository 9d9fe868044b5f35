#include "base/password_scramble.h"

#include <gtest/gtest.h>

#include <QSet>

#include "support/qt_printers.h"

namespace quilmo {
namespace {

const QString kPlain =
    QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!#$%&*+-.=?@_");

TEST(PasswordScrambleTest, EveryAlphabetCharacterRoundTripsAndIsReplacedOneToOne) {
  const QString scrambled = ScramblePassword(kPlain);
  EXPECT_EQ(scrambled.size(), kPlain.size());
  EXPECT_NE(scrambled, kPlain);
  // A permutation of the alphabet: no two characters scramble to the same one.
  EXPECT_EQ(QSet<QChar>(scrambled.begin(), scrambled.end()).size(), kPlain.size());
  for (QChar c : scrambled) EXPECT_TRUE(kPlain.contains(c)) << int(c.unicode());
  EXPECT_EQ(UnscramblePassword(scrambled), kPlain);
  for (QChar c : kPlain) EXPECT_EQ(UnscramblePassword(ScramblePassword(c)), QString(c));
}

TEST(PasswordScrambleTest, CharactersOutsideTheAlphabetPassUnchanged) {
  const QString chinese = QStringLiteral("密码");
  EXPECT_EQ(ScramblePassword(chinese), chinese);
  const QString mixed = QStringLiteral("ab 密码\t~");
  const QString scrambled = ScramblePassword(mixed);
  EXPECT_EQ(scrambled.size(), mixed.size());
  EXPECT_EQ(scrambled.mid(2), mixed.mid(2));  // space, Chinese, tab and ~ stay where they are
  EXPECT_EQ(UnscramblePassword(scrambled), mixed);
  EXPECT_EQ(ScramblePassword(QString()), QString());
}

}  // namespace
}  // namespace quilmo
