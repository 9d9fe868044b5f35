#pragma once

#include <QLineEdit>

#include "base/error.h"
#include "payment/card_pay.h"

namespace quilmo {

// What the two payment dialogs show of one Enter or OK: the refusal's notice, the cash edit's
// new text, and the focus on `next` (its text selected after a refusal, to be typed over).
void ShowPayStep(Ui& ui, const PayStep& step, QLineEdit* cash, QWidget* next);

// Runs one step of a payment dialog; an error it throws (a text that is no number) is told,
// and `edit` is offered again.
template <class Step>
void RunPayStep(Ui& ui, QLineEdit* edit, Step&& step) {
  if (!RunReported(ui, std::forward<Step>(step))) {
    edit->setFocus();
    edit->selectAll();
  }
}

}  // namespace quilmo
