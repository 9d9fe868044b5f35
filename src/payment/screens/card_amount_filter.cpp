#include "payment/screens/card_amount_filter.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>

#include "payment/card_pay.h"

namespace quilmo {

void CardAmountFilter::Install(QLineEdit* edit) {
  edit->installEventFilter(new CardAmountFilter(edit));
  edit->setContextMenuPolicy(Qt::NoContextMenu);
}

bool CardAmountFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->matches(QKeySequence::Paste)) return true;
  const QString text = key->text();
  // Arrows, Home and Delete edit the text without typing a character.
  if (text.isEmpty() || key->key() == Qt::Key_Delete) return false;
  for (const QChar c : text) {
    if (!PayAmountCharAccepted(c)) return true;
  }
  return false;
}

}  // namespace quilmo
