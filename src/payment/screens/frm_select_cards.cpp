#include "payment/screens/frm_select_cards.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/error.h"

namespace quilmo {
namespace {

QLabel* Value(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setMinimumWidth(120);
  return label;
}

QPushButton* Button(QWidget* parent, const QString& caption, const char* name) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QLatin1String(name));
  return button;
}

}  // namespace

TfrmSelectCards::TfrmSelectCards(CardContext& cards, Order& order, QWidget* parent)
    : TfrmRootDialog(parent), cards_(cards), order_(order) {
  setObjectName(QStringLiteral("TfrmSelectCards"));
  setWindowTitle(QStringLiteral("选择会员卡/储值卡"));

  suiEdtCardCode = new QLineEdit(body());
  suiEdtCardCode->setObjectName(QStringLiteral("suiEdtCardCode"));
  suiEdtCardCode->setMinimumWidth(200);
  suibtChangePSW = Button(body(), QStringLiteral("修改密码[F9]"), "suibtChangePSW");
  lblCardType = Value(body(), "lblCardType");
  lblCardDiscountType = Value(body(), "lblCardDiscountType");
  lblHoldeNAme = Value(body(), "lblHoldeNAme");
  lblSendName = Value(body(), "lblSendName");
  lblSendDate = Value(body(), "lblSendDate");
  lblValidate = Value(body(), "lblValidate");
  lblDiscount1 = new QLabel(QStringLiteral("折扣率："), body());
  lblDiscount1->setObjectName(QStringLiteral("lblDiscount1"));
  lblDiscount2 = Value(body(), "lblDiscount2");
  lblAmount1 = new QLabel(QStringLiteral("卡内余额："), body());
  lblAmount1->setObjectName(QStringLiteral("lblAmount1"));
  lblAmount2 = Value(body(), "lblAmount2");
  lblPointCount2 = Value(body(), "lblPointCount2");
  suibtADDPoint = Button(body(), QStringLiteral("冲减积分[F4]"), "suibtADDPoint");
  suibtAddAmount = Button(body(), QStringLiteral("储值卡冲值[F5]"), "suibtAddAmount");
  suibtSave = Button(body(), QStringLiteral("确 定[F12]"), "suibtSave");
  suibtCancel = Button(body(), QStringLiteral("取 消[Esc]"), "suibtCancel");

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("卡号："), body()));
  top->addWidget(suiEdtCardCode, 1);
  top->addWidget(new QLabel(QStringLiteral("[F2]"), body()));
  top->addWidget(suibtChangePSW);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(8);
  auto pair = [&](int row, int column, QLabel* caption, QLabel* value) {
    grid->addWidget(caption, row, column * 2, Qt::AlignRight);
    grid->addWidget(value, row, column * 2 + 1);
  };
  auto caption = [this](const char* text) { return new QLabel(QString::fromUtf8(text), body()); };
  pair(0, 0, caption("卡类型："), lblCardType);
  pair(0, 1, caption("优惠方式："), lblCardDiscountType);
  pair(1, 0, caption("持卡人："), lblHoldeNAme);
  pair(1, 1, caption("发卡人："), lblSendName);
  pair(2, 0, caption("发卡日期："), lblSendDate);
  pair(2, 1, caption("有效日期："), lblValidate);
  pair(3, 0, lblDiscount1, lblDiscount2);
  pair(3, 1, lblAmount1, lblAmount2);
  pair(4, 0, caption("积分点："), lblPointCount2);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(suibtADDPoint);
  bottom->addWidget(suibtAddAmount);
  bottom->addStretch(1);
  bottom->addWidget(suibtSave);
  bottom->addWidget(suibtCancel);

  auto* layout = new QVBoxLayout(body());
  layout->setContentsMargins(18, 14, 18, 12);
  layout->setSpacing(14);
  layout->addLayout(top);
  layout->addLayout(grid);
  layout->addLayout(bottom);
  setMinimumWidth(520);

  connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
    // A message box or the password dialog handing the focus back is not coming in anew.
    if (now == suiEdtCardCode && old && old != suiEdtCardCode && old->window() == this) {
      suiEdtCardCodeEnter();
    }
  });
  connect(suibtADDPoint, &QPushButton::clicked, this, [this] { suibtADDPointClick(); });
  connect(suibtAddAmount, &QPushButton::clicked, this, [this] { suibtAddAmountClick(); });
  connect(suibtChangePSW, &QPushButton::clicked, this, [this] { suibtChangePSWClick(); });
  connect(suibtSave, &QPushButton::clicked, this, [this] { suibtSaveClick(); });
  connect(suibtCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmSelectCards::showEvent(QShowEvent* event) {
  chosen_ = false;
  suiEdtCardCodeEnter();
  suiEdtCardCode->setFocus();
  TfrmRootDialog::showEvent(event);
}

void TfrmSelectCards::suiEdtCardCodeEnter() {
  suiEdtCardCode->clear();
  for (QWidget* w : std::initializer_list<QWidget*>{lblDiscount1, lblDiscount2, lblAmount1,
                                                    lblAmount2, suibtADDPoint, suibtAddAmount}) {
    w->hide();
  }
  for (QLabel* l : {lblCardType, lblCardDiscountType, lblHoldeNAme, lblSendName, lblSendDate,
                    lblValidate, lblDiscount2, lblAmount2, lblPointCount2}) {
    l->clear();
  }
}

bool TfrmSelectCards::EnterInControl(QWidget* control) {
  if (control != suiEdtCardCode) return false;
  Identify();
  return true;
}

bool TfrmSelectCards::FormKeyDown(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_F9:
      suibtChangePSW->click();
      return true;
    case Qt::Key_F4:
      if (!suibtADDPoint->isHidden()) suibtADDPoint->click();
      return true;
    case Qt::Key_F5:
      if (!suibtAddAmount->isHidden()) suibtAddAmount->click();
      return true;
    case Qt::Key_F12:
      suibtSave->click();
      return true;
    case Qt::Key_F2:
      suiEdtCardCode->clear();
      suiEdtCardCode->setFocus();
      return true;
    default:
      return false;
  }
}

void TfrmSelectCards::FocusCardEdit() {
  suiEdtCardCode->setFocus();
  suiEdtCardCode->selectAll();
}

void TfrmSelectCards::Identify() {
  std::optional<CardView> view;
  RunReported(cards_.ui, [&] { view = IdentifyCard(cards_, order_, suiEdtCardCode->text()); });
  if (!view) {
    FocusCardEdit();
    return;
  }
  Show(*view);
  chosen_ = true;
  suibtSave->setFocus();
}

void TfrmSelectCards::Show(const CardView& view) {
  lblCardType->setText(view.CardType);
  lblAmount1->setVisible(view.StoredValue);
  lblAmount2->setVisible(view.StoredValue);
  suibtAddAmount->setVisible(view.StoredValue);
  lblCardDiscountType->setText(view.SalesType);
  lblDiscount1->setVisible(view.ShowDiscount);
  lblDiscount2->setVisible(view.ShowDiscount);
  suibtADDPoint->setVisible(view.ShowAddPoint);
  lblHoldeNAme->setText(view.HolderName);
  lblSendName->setText(view.SendOperator);
  lblSendDate->setText(view.SendDate);
  lblValidate->setText(view.ValidDate);
  lblDiscount2->setText(view.Discount);
  lblAmount2->setText(view.Amount);
  lblPointCount2->setText(view.Points);
}

void TfrmSelectCards::Act(CardAction (*command)(CardContext&, const Order&), QLabel* shown) {
  CardAction action;
  RunReported(cards_.ui, [&] { action = command(cards_, order_); });
  if (action.Shown && shown) shown->setText(*action.Shown);
  if (action.NoCard) FocusCardEdit();
}

void TfrmSelectCards::suibtADDPointClick() {
  CardAction action;
  RunReported(cards_.ui,
              [&] { action = AdjustCardPoints(cards_, order_, lblPointCount2->text()); });
  if (action.Shown) lblPointCount2->setText(*action.Shown);
  if (action.NoCard) FocusCardEdit();
}

void TfrmSelectCards::suibtAddAmountClick() { Act(&TopUpCard, lblAmount2); }

void TfrmSelectCards::suibtChangePSWClick() { Act(&ChangeCardPasswordOf, nullptr); }

void TfrmSelectCards::suibtSaveClick() {
  if (!chosen_) {
    Identify();
    return;
  }
  accept();
}

}  // namespace quilmo
