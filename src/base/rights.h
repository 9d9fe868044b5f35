#pragma once

#include <QString>

namespace quilmo {

// The rights the back office grants a cashier (QTCashierRight.RightID). A function guarded by
// one asks the database each time it is used, so a right granted or withdrawn counts at once.
enum class Right : int {
  OpenShift = 1,       // F2 on the main window
  CloseShift = 2,      // F7 on the main window
  Sell = 3,            // the sale screen
  SalesData = 4,       // the sales detail and the stock detail
  ChangePassword = 5,  // one's own password
  Settings = 6,        // the parameter settings screen
  BrowseGoods = 7,     // the goods list and the promotion goods list
  Discount = 8,        // whole-order and single-goods discounts, the grid's discount column
  ChangePrice = 9,     // the price edit and the grid's price column
  Returns = 10,        // negative quantities and returns
  Gift = 11,           // making a line a gift
  DeductPoints = 12,   // deducting a card's points
  OpenDrawer = 13,     // taking cash out of the drawer
  BrowseCards = 14,    // the member card list
  RoundOff = 15,       // taking the odd amount off the amount due
  TopUp = 16,          // topping up a stored-value card
  CardPassword = 17,   // changing a card's password
};

// What a cashier without the right is told where the right guards a key or a screen. Where one
// right guards several places with different words, the variants follow below.
inline QString RightRefusal(Right right) {
  switch (right) {
    case Right::OpenShift:
    case Right::CloseShift:
      return QStringLiteral("对不起，您没有权限使用该功能，请与后台管理员联系！");
    case Right::Sell:
    case Right::SalesData:  // the sales detail; the stock detail says kNoRightStockDetail
    case Right::ChangePassword:
    case Right::Settings:
    case Right::BrowseGoods:  // the goods list; the promotion goods say kNoRightPromotionGoods
    case Right::BrowseCards:
      return QStringLiteral("对不起，您没有权限使用该功能, 请与后台管理员联系！");
    case Right::Discount:
      return QStringLiteral("对不起，您没有打折扣的权限！");
    case Right::ChangePrice:
      return QStringLiteral("对不起，您没有修改零售价的权限！");
    case Right::Returns:
      return QStringLiteral("对不起，您没有退货的权限！");
    case Right::Gift:
      return QStringLiteral("对不起，您没有赠品的权限");
    case Right::DeductPoints:
      return QStringLiteral("对不起，您没有冲减积分的权限！");
    case Right::OpenDrawer:
      return QStringLiteral("对不起！，你没有开钱箱的权限！");
    case Right::RoundOff:
      return QStringLiteral("对不起，您没有抹零的权限！");
    case Right::TopUp:
      return QStringLiteral("对不起，您没有储值卡冲值的权限！");
    case Right::CardPassword:
      return QStringLiteral("对不起，您没有修改卡密码的权限！");
  }
  return {};
}

// The places whose words differ from RightRefusal.
inline QString NoRightStockDetail() {
  return QStringLiteral("对不起，您没有权限查看零售数据, 请与后台管理员联系！");
}
inline QString NoRightPromotionGoods() {
  return QStringLiteral("对不起，您没有浏览商品的权限, 请与后台管理员联系！");
}
// The sale grid's discount and price columns.
inline QString NoRightGridDiscount() { return QStringLiteral("对不起！您没有修改折扣的权限！"); }
inline QString NoRightGridPrice() { return QStringLiteral("对不起！您没有修改价格的权限！"); }
// A negative quantity typed in the sale screen's quantity edit.
inline QString NoRightQuantityReturn() { return QStringLiteral("对不起，您没有权限退货！"); }

}  // namespace quilmo
