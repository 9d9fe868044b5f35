#pragma once

#include "frame/frm_root.h"
#include "payment/card_context.h"
#include "payment/card_select.h"
#include "sale/order.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quilmo {

// "选择会员卡/储值卡": the cashier types or swipes the card number, or the holder's
// telephone, and Enter takes the card into the order at once; OK and Cancel then only close.
// Online, the card's points, a stored-value card's balance and the card's password can be
// changed from here.
class TfrmSelectCards : public TfrmRootDialog {
  Q_OBJECT
 public:
  TfrmSelectCards(CardContext& cards, Order& order, QWidget* parent = nullptr);

  // A card was taken while the dialog was open (CardChosen).
  bool cardChosen() const { return chosen_; }

  QLineEdit* suiEdtCardCode;
  QPushButton* suibtChangePSW;
  QLabel* lblCardType;
  QLabel* lblCardDiscountType;
  QLabel* lblHoldeNAme;
  QLabel* lblSendName;
  QLabel* lblSendDate;
  QLabel* lblValidate;
  QLabel* lblDiscount1;
  QLabel* lblDiscount2;
  QLabel* lblAmount1;
  QLabel* lblAmount2;
  QLabel* lblPointCount2;
  QPushButton* suibtADDPoint;
  QPushButton* suibtAddAmount;
  QPushButton* suibtSave;
  QPushButton* suibtCancel;

 protected:
  void showEvent(QShowEvent* event) override;
  bool EnterInControl(QWidget* control) override;
  bool FormKeyDown(QKeyEvent* event) override;

 private:
  // Coming into the card edit from another control starts a new card: the edit and the
  // card's values are emptied.
  void suiEdtCardCodeEnter();
  void Identify();
  void Show(const CardView& view);
  void FocusCardEdit();
  void Act(CardAction (*command)(CardContext&, const Order&), QLabel* shown);
  void suibtADDPointClick();
  void suibtAddAmountClick();
  void suibtChangePSWClick();
  void suibtSaveClick();

  CardContext& cards_;
  Order& order_;
  bool chosen_ = false;
};

}  // namespace quilmo
