#include "app/login.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include "data/rights.h"

namespace quilmo {
namespace {

QVariant Value(const QSqlQuery& q, const char* column) {
  const int i = q.record().indexOf(QLatin1String(column));
  return i < 0 ? QVariant() : q.value(i);
}

}  // namespace

bool CheckCashier(AppContext& app, const QString& code, const QString& password) {
  return app.dm.Current()
      .Query(QStringLiteral("SELECT CashierNo FROM QTCashier WHERE ShopNo = :ShopNo "
                            "AND CashierCode = :CashierCode AND Password = :Password"),
             {{QStringLiteral(":ShopNo"), app.session.ShopNo},
              {QStringLiteral(":CashierCode"), code},
              {QStringLiteral(":Password"), password}})
      .next();
}

bool HasRight(AppContext& app, const QString& cashier_no, int right_id) {
  return HasRight(app.dm, cashier_no, static_cast<Right>(right_id));
}

bool LoginCashier(AppContext& app, const QString& code, const QString& password) {
  if (!CheckCashier(app, code, password)) {
    app.ui.ShowNoticeBox(QStringLiteral("您输入的密码或代码不正确，或您不是该店的操作员！"));
    return false;
  }
  // The cashier loaded is the one just checked: a code alone may also belong to a cashier
  // of another shop, whose rights would then apply here.
  QSqlQuery q = app.dm.Current().Query(
      QStringLiteral("SELECT * FROM QTCashier WHERE ShopNo = :ShopNo "
                     "AND CashierCode = :CashierCode AND Password = :Password"),
      {{QStringLiteral(":ShopNo"), app.session.ShopNo},
       {QStringLiteral(":CashierCode"), code},
       {QStringLiteral(":Password"), password}});
  if (!q.next()) return false;
  PosSession& s = app.session;
  s.CashierNo = Value(q, "CashierNo").toString();
  s.CashierCode = Value(q, "CashierCode").toString();
  s.CashierName = Value(q, "CashierName").toString();
  const double rate = Value(q, "PremiumRate").toDouble();
  s.PremiumRate = rate == 0 ? 100 : rate;
  return true;
}

}  // namespace quilmo
