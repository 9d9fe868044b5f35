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
  // No stored code or password holds a NUL, and the server refuses text that does.
  if (code.contains(QChar()) || password.contains(QChar())) return false;
  return app.dm.Current()
      .Query(QStringLiteral("SELECT CashierNo FROM QTCashier WHERE ShopNo = :ShopNo "
                            "AND CashierCode = :CashierCode AND Password = :Password"),
             {{QStringLiteral(":ShopNo"), app.session.ShopNo},
              {QStringLiteral(":CashierCode"), code},
              {QStringLiteral(":Password"), password}})
      .next();
}

bool LoginCashier(AppContext& app, const QString& code, const QString& password) {
  // A refusal blamed on the typed code when the real fault is the till's own data would send
  // the cashier guessing passwords: say what is wrong and how to mend it.
  if (app.session.ShopNo.isEmpty()) {
    app.ui.ShowNoticeBox(
        QStringLiteral("无法读取本收银机的零售店编号，不能检查收银员！\r\n"
                       "请以连网模式登陆一次，重新选择零售店。"));
    return false;
  }
  if (!app.session.IsOnline &&
      app.dm.conClient.FirstRow(QStringLiteral("SELECT 1 FROM QTCashier LIMIT 1")).isEmpty()) {
    app.ui.ShowNoticeBox(
        QStringLiteral("本地数据库中没有收银员资料（基本资料还没有下载完整）！\r\n"
                       "请以连网模式登陆一次，下载基本资料后再使用断网模式。"));
    return false;
  }
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
