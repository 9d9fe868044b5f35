#pragma once

#include <QObject>

class QLineEdit;

namespace quilmo {

// Drops every typed character an amount edit does not take (digits, ".", "-", Backspace, Tab
// and Enter pass), and pasting, which would bring in what typing cannot.
class CardAmountFilter : public QObject {
  Q_OBJECT
 public:
  // Filters the edit's keys; the filter belongs to the edit.
  static void Install(QLineEdit* edit);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using QObject::QObject;
};

}  // namespace quilmo
