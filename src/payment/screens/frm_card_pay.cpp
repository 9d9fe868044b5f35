#include "payment/screens/frm_card_pay.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/error.h"
#include "payment/card_select.h"
#include "payment/screens/card_amount_filter.h"
#include "payment/screens/pay_step_view.h"

namespace quilmo {
namespace {

QLabel* Label(QWidget* parent, const QString& text, const char* name = nullptr) {
  auto* label = new QLabel(text, parent);
  if (name) label->setObjectName(QLatin1String(name));
  return label;
}

}  // namespace

TfrmCardPay::TfrmCardPay(Ui& ui, const CardPayRequest& request, QWidget* parent)
    : TfrmRootDialog(parent, KeyHandling::OwnOnly), ui_(ui), request_(request) {
  setObjectName(QStringLiteral("TfrmCardPay"));
  setWindowTitle(QStringLiteral("储值卡支付"));

  lblRealAmount = Label(body(), QString(), "lblRealAmount");
  lblCardCode = Label(body(), QString(), "lblCardCode");
  lblDiscount = Label(body(), QString(), "lblDiscount");
  lblAmount = Label(body(), QString(), "lblAmount");
  suiEdtCardPay = new QLineEdit(body());
  suiEdtCardPay->setObjectName(QStringLiteral("suiEdtCardPay"));
  suiEdtCash = new QLineEdit(body());
  suiEdtCash->setObjectName(QStringLiteral("suiEdtCash"));
  lblPayToTal = Label(body(), QString(), "lblPayToTal");
  suiButton1 = new QPushButton(QStringLiteral("确 定"), body());
  suiButton1->setObjectName(QStringLiteral("suiButton1"));
  suiButton2 = new QPushButton(QStringLiteral("取 消"), body());
  suiButton2->setObjectName(QStringLiteral("suiButton2"));
  CardAmountFilter::Install(suiEdtCardPay);
  CardAmountFilter::Install(suiEdtCash);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(10);
  const std::pair<const char*, QWidget*> rows[] = {
      {"应收款：", lblRealAmount}, {"卡号：", lblCardCode},       {"折扣：", lblDiscount},
      {"卡余额：", lblAmount},     {"本次支付：", suiEdtCardPay}, {"加补现金：", suiEdtCash}};
  int row = 0;
  for (const auto& [caption, value] : rows) {
    grid->addWidget(Label(body(), QString::fromUtf8(caption)), row, 0, Qt::AlignRight);
    grid->addWidget(value, row++, 1);
  }
  auto* strip = new QHBoxLayout;
  strip->addWidget(Label(body(), QStringLiteral("总计客付：")));
  strip->addWidget(lblPayToTal, 1);
  strip->addWidget(suiButton1);
  strip->addWidget(suiButton2);
  auto* layout = new QVBoxLayout(body());
  layout->setContentsMargins(18, 14, 18, 12);
  layout->setSpacing(14);
  layout->addLayout(grid);
  layout->addLayout(strip);
  setMinimumWidth(360);

  auto total = [this] {
    lblPayToTal->setText(CardPayTotalText(suiEdtCardPay->text(), suiEdtCash->text()));
  };
  connect(suiEdtCardPay, &QLineEdit::textChanged, this, total);
  connect(suiEdtCash, &QLineEdit::textChanged, this, total);
  connect(suiButton1, &QPushButton::clicked, this, [this] { suiButton1Click(); });
  connect(suiButton2, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmCardPay::showEvent(QShowEvent* event) {
  result_ = CardPayment();
  lblRealAmount->setText(request_.AmountDue.ShortText());
  lblCardCode->setText(request_.CardsCode);
  lblAmount->setText(request_.Balance.ShortText());
  lblDiscount->setText(ShortNumber(request_.CardDiscount));
  const CardPayOpening opening = OpenCardPay(request_.AmountDue, request_.Balance);
  suiEdtCardPay->setText(opening.CardPart);
  suiEdtCash->setText(opening.Cash);
  suiEdtCardPay->setFocus();
  suiEdtCardPay->selectAll();
  TfrmRootDialog::showEvent(event);
}

bool TfrmCardPay::FormKeyDown(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return false;
  QWidget* focus = focusWidget();
  if (focus == suiEdtCardPay) {
    suiEdtCardPayEnter();
    return true;
  }
  if (focus == suiEdtCash) {
    suiEdtCashEnter();
    return true;
  }
  if (auto* button = qobject_cast<QPushButton*>(focus)) {
    button->click();
    return true;
  }
  return false;
}

QWidget* TfrmCardPay::Field(PayField field) const {
  switch (field) {
    case PayField::CardPart:
      return suiEdtCardPay;
    case PayField::Cash:
      return suiEdtCash;
    case PayField::Confirm:
      return suiButton1;
    default:
      return nullptr;
  }
}

void TfrmCardPay::Apply(const PayStep& step) {
  ShowPayStep(ui_, step, suiEdtCash, Field(step.Focus));
}

void TfrmCardPay::suiEdtCardPayEnter() {
  if (suiEdtCardPay->text().trimmed().isEmpty()) suiEdtCardPay->setText(QStringLiteral("0"));
  RunPayStep(ui_, suiEdtCardPay, [this] {
    Apply(CardPartEntered(request_.AmountDue, request_.Balance, suiEdtCardPay->text()));
  });
}

void TfrmCardPay::suiEdtCashEnter() {
  if (suiEdtCash->text().trimmed().isEmpty()) suiEdtCash->setText(QStringLiteral("0"));
  RunPayStep(ui_, suiEdtCash, [this] {
    Apply(CardPayCashEntered(request_.AmountDue, suiEdtCardPay->text(), suiEdtCash->text()));
  });
}

void TfrmCardPay::suiButton1Click() {
  RunPayStep(ui_, suiEdtCash, [this] {
    const PayStep step = ConfirmCardPay(request_.AmountDue, request_.Balance, suiEdtCardPay->text(),
                                        suiEdtCash->text());
    if (!step.Accepted()) {
      Apply(step);
      return;
    }
    result_.Confirmed = true;
    result_.CardPayAmount = ReadPayAmount(suiEdtCardPay->text());
    result_.CashPart = ReadPayAmount(suiEdtCash->text());
    accept();
  });
}

}  // namespace quilmo
