#include "payment/screens/frm_bank_card_pay.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/error.h"
#include "payment/screens/card_amount_filter.h"
#include "payment/screens/pay_step_view.h"

namespace quilmo {

TfrmBankCardPay::TfrmBankCardPay(Ui& ui, Money amount_due, QWidget* parent)
    : TfrmRootDialog(parent), ui_(ui), amount_due_(amount_due) {
  setObjectName(QStringLiteral("TfrmBankCardPay"));
  setWindowTitle(QStringLiteral("银行卡/现金卷支付"));

  lblRealAmount = new QLabel(body());
  lblRealAmount->setObjectName(QStringLiteral("lblRealAmount"));
  auto edit = [this](const char* name) {
    auto* e = new QLineEdit(body());
    e->setObjectName(QLatin1String(name));
    CardAmountFilter::Install(e);
    return e;
  };
  suiEdtCardPay = edit("suiEdtCardPay");
  suiEdtCash = edit("suiEdtCash");
  suEdtCashCard = edit("suEdtCashCard");
  lblPayToTal = new QLabel(body());
  lblPayToTal->setObjectName(QStringLiteral("lblPayToTal"));
  suiButton1 = new QPushButton(QStringLiteral("确 定[F5]"), body());
  suiButton1->setObjectName(QStringLiteral("suiButton1"));
  suiButton2 = new QPushButton(QStringLiteral("取 消[Esc]"), body());
  suiButton2->setObjectName(QStringLiteral("suiButton2"));

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(10);
  const std::pair<const char*, QWidget*> rows[] = {{"应收款：", lblRealAmount},
                                                   {"银行卡付额：", suiEdtCardPay},
                                                   {"加补现金额：", suiEdtCash},
                                                   {"现金卷付额：", suEdtCashCard}};
  int row = 0;
  for (const auto& [caption, value] : rows) {
    grid->addWidget(new QLabel(QString::fromUtf8(caption), body()), row, 0, Qt::AlignRight);
    grid->addWidget(value, row++, 1);
  }
  auto* strip = new QHBoxLayout;
  strip->addWidget(new QLabel(QStringLiteral("总计客付："), body()));
  strip->addWidget(lblPayToTal, 1);
  strip->addWidget(suiButton1);
  strip->addWidget(suiButton2);
  auto* layout = new QVBoxLayout(body());
  layout->setContentsMargins(18, 14, 18, 12);
  layout->setSpacing(14);
  layout->addLayout(grid);
  layout->addLayout(strip);
  setMinimumWidth(380);

  // The total follows what the cashier types, as in the stored-value dialog; until then it
  // shows the amount due.
  auto total = [this] {
    if (opening_) return;
    lblPayToTal->setText(
        BankCardPayTotalText(suiEdtCardPay->text(), suiEdtCash->text(), suEdtCashCard->text()));
  };
  for (QLineEdit* e : {suiEdtCardPay, suiEdtCash, suEdtCashCard}) {
    connect(e, &QLineEdit::textChanged, this, total);
  }
  connect(suiButton1, &QPushButton::clicked, this, [this] { suiButton1Click(); });
  connect(suiButton2, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmBankCardPay::showEvent(QShowEvent* event) {
  result_ = BankCardPayment();
  opening_ = true;
  lblRealAmount->setText(PayAmountText(amount_due_));
  lblPayToTal->setText(PayAmountText(amount_due_));
  suEdtCashCard->setText(QStringLiteral("0"));
  suiEdtCardPay->setText(QStringLiteral("0"));
  suiEdtCash->setText(QStringLiteral("0"));
  opening_ = false;
  suiEdtCardPay->setFocus();
  suiEdtCardPay->selectAll();
  TfrmRootDialog::showEvent(event);
}

bool TfrmBankCardPay::EnterInControl(QWidget* control) {
  if (control == suiEdtCardPay) {
    PartEnter(PayField::CardPart);
  } else if (control == suEdtCashCard) {
    PartEnter(PayField::Voucher);
  } else if (control == suiEdtCash) {
    suiEdtCashEnter();
  } else {
    return false;
  }
  return true;
}

bool TfrmBankCardPay::FormKeyDown(QKeyEvent* event) {
  if (event->key() != Qt::Key_F5) return false;
  suiButton1->click();
  return true;
}

QLineEdit* TfrmBankCardPay::Field(PayField field) const {
  switch (field) {
    case PayField::CardPart:
      return suiEdtCardPay;
    case PayField::Cash:
      return suiEdtCash;
    case PayField::Voucher:
      return suEdtCashCard;
    default:
      return nullptr;
  }
}

void TfrmBankCardPay::EmptyEditsToZero() {
  for (QLineEdit* e : {suiEdtCardPay, suiEdtCash, suEdtCashCard}) {
    if (e->text().trimmed().isEmpty()) e->setText(QStringLiteral("0"));
  }
}

void TfrmBankCardPay::Apply(const PayStep& step) {
  QWidget* next = Field(step.Focus);
  if (step.Focus == PayField::Confirm) next = suiButton1;
  ShowPayStep(ui_, step, suiEdtCash, next);
}

void TfrmBankCardPay::PartEnter(PayField field) {
  EmptyEditsToZero();
  RunPayStep(ui_, Field(field), [&] {
    Apply(BankPartEntered(amount_due_, field, suiEdtCardPay->text(), suEdtCashCard->text()));
  });
}

void TfrmBankCardPay::suiEdtCashEnter() {
  EmptyEditsToZero();
  RunPayStep(ui_, suiEdtCash, [&] {
    Apply(BankCashEntered(amount_due_, suiEdtCardPay->text(), suiEdtCash->text(),
                          suEdtCashCard->text()));
  });
}

void TfrmBankCardPay::suiButton1Click() {
  RunPayStep(ui_, suiEdtCash, [&] {
    const PayStep step = ConfirmBankCardPay(amount_due_, suiEdtCardPay->text(), suiEdtCash->text(),
                                            suEdtCashCard->text());
    if (!step.Accepted()) {
      Apply(step);
      return;
    }
    result_.Confirmed = true;
    result_.BankCardPart = ReadPayAmount(suiEdtCardPay->text());
    result_.CashPart = ReadPayAmount(suiEdtCash->text());
    result_.VoucherPart = ReadPayAmount(suEdtCashCard->text());
    accept();
  });
}

}  // namespace quilmo
