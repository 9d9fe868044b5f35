#include "payment/checkout.h"

#include "base/ini_file.h"
#include "base/input_rules.h"
#include "data/rights.h"
#include "payment/card_pay.h"

namespace quilmo {
namespace {

constexpr int kRoundOffRight = 15;
const Money kMostChange = 100;

Money ParsedOrZero(const QString& text) { return Money::Parse(text.trimmed()).value_or(Money()); }

// The same part, pulled back inside the due when the due fell below it.
Money LimitedToDue(Money part, Money due) {
  if (due >= 0) return part > due ? due : part;
  return part < due ? due : part;
}

// The stored-value card dialog over the order's Amount, as F12 and F2 open it.
std::optional<CardPayment> PayByCard(PaymentContext& pay, const Order& order, Money due) {
  CardContext cards{pay.dm, pay.ui};
  return PayByCard(cards, order, due);
}

}  // namespace

QString CheckoutAmountText(Money amount) {
  return amount.ToString(2).leftJustified(7, QLatin1Char(' '));
}

CheckoutFlow::CheckoutFlow(PaymentContext& pay, Order& order, StoredValuePart part)
    : pay_(pay), order_(order), card_pay_amount_(part.card), cash_part_(part.cash) {
  amount_text_ = CheckoutAmountText(order_.header.RealAmount);
  if (order_.CardType == 2) {
    card_pay_amount_ = LimitedToDue(card_pay_amount_, order_.header.RealAmount);
    const Money received = card_pay_amount_ + cash_part_;
    received_text_ = CheckoutAmountText(received);
    change_text_ = CheckoutAmountText(received - order_.header.RealAmount);
    received_read_only_ = true;
    card_pay_visible_ = true;
  }
}

QString CheckoutFlow::printLabel() const {
  return print_on_ ? QStringLiteral("不打印小票[F9]") : QStringLiteral("打印小票[F9]");
}

void CheckoutFlow::SetReceived(const QString& text) {
  received_text_ = text;
  CalculateChange();
}

void CheckoutFlow::ReceivedEdited(const QString& text) {
  focus_received_ = false;
  select_received_ = false;
  SetReceived(text);
}

void CheckoutFlow::CalculateChange() {
  const QString text = received_text_.trimmed();
  if (text.isEmpty()) {
    change_text_.clear();
    return;
  }
  // Signed: a return pays money back, and the amount it receives is negative too.
  const TypedNumber received = ReadTypedNumber(text, NumberField::SignedAmount);
  if (!received) {
    pay_.ui.ShowNoticeBox(received.refusal == TypedNumber::Refusal::NotANumber
                              ? QStringLiteral("您输入的非数字类型！")
                              : received.message);
    received_text_.clear();
    focus_received_ = true;
    return;
  }
  const Money change = received.value - ParsedOrZero(amount_text_);
  if (change > kMostChange) {
    pay_.ui.ShowNoticeBox(QStringLiteral("找零金额不能大于100"));
    received_text_.clear();
    change_text_.clear();
    focus_received_ = true;
    return;
  }
  change_text_ = CheckoutAmountText(change);
}

void CheckoutFlow::SetDue(Money due) {
  amount_text_ = CheckoutAmountText(due);
  // A lower due lowers the card part with it: the card never pays more than is owed, or the
  // difference would go out of the drawer as change.
  card_pay_amount_ = LimitedToDue(card_pay_amount_, due);
  if (!WithinDue(card_pay_amount_ + bank_card_part_ + voucher_part_, due)) {
    // The bank-card and voucher parts were agreed for a higher due; they are asked again.
    bank_card_part_ = voucher_part_ = Money();
    bank_card_no_.clear();
    pay_.ui.ShowNoticeBox(QStringLiteral("应收款已改变，请重新输入银行卡/现金卷金额！"));
  }
  if (received_read_only_) {
    // The stored-value order's received amount is what its parts bring, never typed: when the
    // due rises (F6 rounding up) the cash part makes up the rest, when it falls the cash the
    // customer gave stays and the difference is change.
    const Money owed = due - card_pay_amount_ - bank_card_part_ - voucher_part_;
    if (due >= 0 && owed > cash_part_) cash_part_ = owed;
    received_text_ = CheckoutAmountText(ReceivedFromParts());
  }
  CalculateChange();
}

Money CheckoutFlow::ReceivedFromParts() const {
  return card_pay_amount_ + cash_part_ + bank_card_part_ + voucher_part_;
}

Money CheckoutFlow::Due() const { return ParsedOrZero(amount_text_); }

bool CheckoutFlow::MayRoundOff() {
  if (HasRight(pay_.dm, pay_.session().CashierNo, kRoundOffRight)) return true;
  pay_.ui.ShowNoticeBox(QStringLiteral("对不起，您没有抹零的权限！"));
  return false;
}

void CheckoutFlow::RoundOff() {
  if (!MayRoundOff()) return;
  InputRequest request;
  request.caption = QStringLiteral("抹零金额输入");
  request.prompt = QStringLiteral("抹零金额");
  request.kind = InputKind::Number;
  // Signed, so that a negative round-off hears the range the order allows, below.
  request.field = NumberField::SignedAmount;
  const InputResult answer = pay_.ui.Input(request);
  if (!answer.confirmed) return;
  const TypedNumber typed = ReadTypedNumber(answer.value, NumberField::SignedAmount);
  if (!typed) {
    pay_.ui.ShowNoticeBox(typed.message);
    return;
  }
  const Money off = typed.value;
  if (off.IsZero()) return;
  // Always from the order's own amount, so a second F5 replaces the first; the amount moves
  // towards zero, and at most down to it.
  const Money amount = order_.header.Amount;
  const Money most = amount > 0 ? amount : -amount;
  if (off < 0 || off > most) {
    pay_.ui.ShowNoticeBox(QStringLiteral("抹零金额须在0到%1之间！").arg(most.ShortText()));
    return;
  }
  SetDue(amount > 0 ? amount - off : amount + off);
}

void CheckoutFlow::RoundWhole() {
  if (!MayRoundOff()) return;
  const Money amount = order_.header.Amount;
  const Money whole = amount.Rounded(0);
  if (whole == amount) return;
  SetDue(whole);
}

void CheckoutFlow::TogglePrint() { print_on_ = !print_on_; }

void CheckoutFlow::PayFromCard() {
  if (!card_pay_visible_) return;
  RunReported(pay_.ui, [&] {
    // The card is offered what the bank card and vouchers leave of the amount due.
    const Money due = Due() - bank_card_part_ - voucher_part_;
    if (const auto part = PayByCard(pay_, order_, due)) {
      ApplyStoredValue(part->CardPayAmount, part->CashPart);
    }
  });
}

void CheckoutFlow::PayByBankCardOrVoucher() {
  // What the stored-value card pays is not asked again: the dialog gets what it leaves.
  const Money due = Due() - card_pay_amount_;
  const BankCardPayment part = PayByBankCard(pay_.ui, due);
  if (!part.Confirmed) return;
  ApplyBankCard(part.BankCardNo, part.BankCardPart, part.CashPart, part.VoucherPart);
}

bool CheckoutFlow::PartsFit(Money card, Money bank_card, Money voucher) {
  const Money due = Due();
  QString refusal;
  if (!WithinDue(card, due)) {
    refusal = QStringLiteral("储值卡支付金额须在0到应收款%1之间！");
  } else if (!WithinDue(bank_card, due)) {
    refusal = QStringLiteral("银行卡付额须在0到应收款%1之间！");
  } else if (!WithinDue(voucher, due)) {
    refusal = QStringLiteral("现金卷付额须在0到应收款%1之间！");
  } else if (!WithinDue(card + bank_card + voucher, due)) {
    refusal = QStringLiteral("储值卡、银行卡与现金卷合计不能超过应收款%1！");
  }
  if (refusal.isEmpty()) return true;
  pay_.ui.ShowNoticeBox(refusal.arg(due.ShortText()));
  return false;
}

void CheckoutFlow::ApplyStoredValue(Money card, Money cash) {
  if (!PartsFit(card, bank_card_part_, voucher_part_)) return;
  card_pay_amount_ = card;
  cash_part_ = cash;
  received_text_ = CheckoutAmountText(ReceivedFromParts());
  CalculateChange();
}

void CheckoutFlow::ApplyBankCard(const QString& bank_card_no, Money bank_card, Money cash,
                                 Money voucher) {
  if (!PartsFit(card_pay_amount_, bank_card, voucher)) return;
  bank_card_no_ = bank_card_no;
  bank_card_part_ = bank_card;
  cash_part_ = cash;
  voucher_part_ = voucher;
  received_text_ = CheckoutAmountText(ReceivedFromParts());
  CalculateChange();
}

bool CheckoutFlow::HasDevice(const char* key) const {
  return ReadIniString(pay_.session().IniFile, QStringLiteral("HardWareSet"),
                       QString::fromLatin1(key)) == QStringLiteral("Y");
}

CheckoutFlow::OkResult CheckoutFlow::Confirm() {
  if (saved_) {
    closed_ = true;
    return OkResult::Closed;
  }
  if (received_text_.trimmed().isEmpty()) {
    // The first OK takes the exact amount; the second saves.
    SetReceived(amount_text_);
    focus_received_ = true;
    select_received_ = true;
    return OkResult::FilledExact;
  }
  const Money due = Due();
  const Money change = ParsedOrZero(change_text_);
  // The parts were checked when they were agreed; the due may have moved since.
  if (!PartsFit(card_pay_amount_, bank_card_part_, voucher_part_)) return OkResult::Refused;
  if (change < 0) {
    pay_.ui.ShowNoticeBox(QStringLiteral("实收款不能小于应收款"));
    focus_received_ = true;
    select_received_ = true;
    return OkResult::Refused;
  }

  OrderHeader& h = order_.header;
  h.RealAmount = due;
  // Bank card and vouchers are recorded with a stored-value card too: the customer may pay
  // part of such an order with them, and that money is not cash in the drawer.
  h.BankCardNo = bank_card_no_;
  h.BankCardAmount = bank_card_part_;
  h.Card1Amount = voucher_part_;
  // The rounding and the change are the same for every order; a card order records them too.
  h.CardAmount = order_.CardType == 2 ? card_pay_amount_ : Money();
  h.CashAmount = due - h.CardAmount - bank_card_part_ - voucher_part_;
  h.AdjustAmount = h.Amount - due;
  h.BackAmount = change;
  if (order_.CardType == 2) cash_part_ = h.CashAmount;

  bool stored = false;
  try {
    h.OrderDate = pay_.dm.ServerNow();
    stored = SaveOrder(pay_.dm, pay_.ui, h, LinesOf(order_.lines), true, pay_.save_hook);
  } catch (const Error& e) {
    pay_.ui.MessageBox(QString(), QStringLiteral("保存单据错误！原因：") + e.message(),
                       MsgIcon::Error, MsgButtons::Ok);
  }
  if (!stored) {
    pay_.ui.ShowErrorBox(QStringLiteral("保存单据失败！"));
    const PosSession& session = pay_.session();
    if (session.IsOnline && pay_.server_lost && !pay_.dm.ServerAlive(pay_.dm.conServer)) {
      pay_.server_lost();
    }
    return OkResult::Failed;
  }
  saved_ = true;
  // The receipt and the screen show the card's points after this sale.
  order_.PointTotal = CardPointsAfterSale(pay_.dm, h, LinesOf(order_.lines), order_.PointTotal);
  DriveDevices();
  closed_ = !receipt_failed_;
  return OkResult::Saved;
}

bool CheckoutFlow::ReprintReceipt() {
  if (!saved_) return false;
  bool printed = false;
  RunReported(pay_.ui, [&] { printed = pay_.devices.ReprintLastReceipt(); });
  if (printed) receipt_failed_ = false;
  return printed;
}

void CheckoutFlow::DriveDevices() {
  // The order is saved whatever a device does now; a failing device is only reported.
  const Money received = ParsedOrZero(received_text_);
  const Money change = ParsedOrZero(change_text_);
  RunReported(pay_.ui, [&] {
    if (HasDevice("HaveScreen")) pay_.devices.ShowOnDisplay(2, received);
  });
  RunReported(pay_.ui, [&] {
    if (HasDevice("HaveCashBox")) pay_.devices.OpenCashDrawer();
  });
  RunReported(pay_.ui, [&] {
    if (!print_on_ || !HasDevice("HavePrinter")) return;
    receipt_failed_ = true;  // until the printer says otherwise, a throw included
    receipt_failed_ = !pay_.devices.PrintReceipt(order_, pay_.session().PrintTwo ? 2 : 1);
  });
  RunReported(pay_.ui, [&] {
    if (HasDevice("HaveScreen")) pay_.devices.ShowOnDisplay(3, change);
  });
}

CheckoutResult Checkout(PaymentContext& pay, Order& order, StoredValuePart part) {
  // Cash of an online sale that a stopped program never added to its shift is added first.
  SettlePendingShiftAmounts(pay.dm);
  CheckoutFlow flow(pay, order, part);
  pay.ui.ShowCheckout(flow);
  CheckoutResult result;
  result.saved = flow.saved();
  result.due = flow.amountText().trimmed();
  result.received = flow.receivedText().trimmed();
  result.change = flow.changeText().trimmed();
  return result;
}

CheckoutResult PayAndCheckout(PaymentContext& pay, Order& order) {
  StoredValuePart part;
  if (!order.CardsCode.isEmpty() && order.CardType == 2) {
    const std::optional<CardPayment> paid = PayByCard(pay, order, order.header.Amount);
    if (!paid) return {};
    part = {paid->CardPayAmount, paid->CashPart};
  }
  return Checkout(pay, order, part);
}

}  // namespace quilmo
