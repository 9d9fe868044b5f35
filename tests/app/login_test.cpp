#include "app/login.h"

#include "support/data_fixture.h"
#include "support/qt_printers.h"

namespace quilmo {
namespace {

class LoginTest : public test::ModeTest {
 protected:
  void SetUp() override {
    ModeTest::SetUp();
    if (HasFatalFailure()) return;
    session.ShopNo = QStringLiteral("01");
    ExecBoth(
        QStringLiteral("INSERT INTO QTCashier (CashierNo, CashierCode, CashierName, Password, "
                       "ShopNo, PremiumRate) "
                       "VALUES ('C1', '001', '张三', '123', '01', 0), "
                       "       ('C2', '002', '李四', 'Pw', '01', 80), "
                       "       ('C9', '001', '王五', '999', '02', 50), "
                       "       ('C3', 'o''k', '赵六', 'a'' OR ''1''=''1', '01', 90), "
                       "       ('C4', '', '空', '', '01', 100)"));
  }
  AppContext app{session, dm, ui, clock, HomePath()};
};

TEST_P(LoginTest, CodeAndPasswordMustMatchACashierOfThisShopExactlyAsTyped) {
  struct Case {
    const char* code;
    const char* password;
    bool ok;
  };
  for (const Case& c : {Case{"001", "123", true}, Case{"002", "Pw", true},
                        Case{"001", "999", false},          // the right password of another shop
                        Case{"002", "pw", false},           // case counts
                        Case{"002", "Pw ", false},          // no trimming
                        Case{"o'k", "a' OR '1'='1", true},  // quotes only as stored
                        Case{"001", "' OR '1'='1", false}, Case{"", "", true}}) {
    EXPECT_EQ(CheckCashier(app, QString::fromUtf8(c.code), QString::fromUtf8(c.password)), c.ok)
        << c.code << " / " << c.password;
  }
  // A NUL in the text is no cashier's (online the server would refuse the statement).
  const QString nul = QString(QChar());
  EXPECT_FALSE(CheckCashier(app, QStringLiteral("001") + nul, QStringLiteral("123")));
  EXPECT_FALSE(CheckCashier(app, QStringLiteral("001"), QStringLiteral("123") + nul));
  EXPECT_FALSE(LoginCashier(app, nul, nul));
  EXPECT_EQ(ui.last(), QStringLiteral("提示！|您输入的密码或代码不正确，或您不是该店的操作员！"));
  session.ShopNo = QStringLiteral("03");
  EXPECT_FALSE(CheckCashier(app, QStringLiteral(""), QStringLiteral("")));
}

TEST_P(LoginTest, LoginLoadsTheCheckedCashierWithPremiumRateZeroHeldAs100) {
  ASSERT_TRUE(LoginCashier(app, QStringLiteral("001"), QStringLiteral("123")));
  EXPECT_EQ(session.CashierNo, QStringLiteral("C1"));  // not C9, who has the same code elsewhere
  EXPECT_EQ(session.CashierCode, QStringLiteral("001"));
  EXPECT_EQ(session.CashierName, QStringLiteral("张三"));
  EXPECT_EQ(session.PremiumRate, 100);
  ASSERT_TRUE(LoginCashier(app, QStringLiteral("002"), QStringLiteral("Pw")));
  EXPECT_EQ(session.PremiumRate, 80);
  EXPECT_TRUE(ui.messages().empty());

  EXPECT_FALSE(LoginCashier(app, QStringLiteral("002"), QStringLiteral("123")));
  EXPECT_EQ(ui.last(), QStringLiteral("提示！|您输入的密码或代码不正确，或您不是该店的操作员！"));
  EXPECT_EQ(session.CashierNo, QStringLiteral("C2"));  // the last login stays
}

TEST_P(LoginTest, ARefusalCausedByTheTillsOwnDataSaysSoAndHowToMendIt) {
  // The shop number could not be read.
  session.ShopNo.clear();
  EXPECT_FALSE(LoginCashier(app, QStringLiteral("001"), QStringLiteral("123")));
  EXPECT_EQ(ui.last(), QStringLiteral("提示！|无法读取本收银机的零售店编号，不能检查收银员！\r\n"
                                      "请以连网模式登陆一次，重新选择零售店。"));
  // The local file has no cashiers at all: an interrupted first download. Online the server
  // answers, so only the offline login can meet this.
  session.ShopNo = QStringLiteral("01");
  ui.clear();
  dm.conClient.Exec(QStringLiteral("DELETE FROM QTCashier"));
  const bool ok = LoginCashier(app, QStringLiteral("001"), QStringLiteral("123"));
  EXPECT_EQ(ok, GetParam());
  if (!GetParam()) {
    EXPECT_EQ(ui.last(),
              QStringLiteral("提示！|本地数据库中没有收银员资料（基本资料还没有下载完整）！\r\n"
                             "请以连网模式登陆一次，下载基本资料后再使用断网模式。"));
  }
}

QUILMO_BOTH_MODES(LoginTest);

}  // namespace
}  // namespace quilmo
