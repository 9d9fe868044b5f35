#include "app/load_settings.h"

#include "base/ini_file.h"
#include "support/data_fixture.h"
#include "support/qt_printers.h"

namespace quilmo {
namespace {

class LoadSettingsTest : public test::ModeTest {
 protected:
  void Set(const char* section, const char* key, const QString& value) {
    ASSERT_TRUE(WriteIniString(session.IniFile, QLatin1String(section), QLatin1String(key), value));
  }
  QString Get(const char* section, const char* key) {
    return ReadIniString(session.IniFile, QLatin1String(section), QLatin1String(key));
  }
};

TEST_P(LoadSettingsTest, EmptySettingsGiveTheDefaults) {
  LoadSettings(session, dm);
  EXPECT_EQ(session.AmountPoint, 3);
  EXPECT_DOUBLE_EQ(session.PerJFAmount, 1.0);
  EXPECT_EQ(session.BackDays, 7);
  EXPECT_TRUE(session.SPNotDiscount);
  EXPECT_TRUE(session.VIPNotDiscount);
  EXPECT_FALSE(session.DiscountAdd || session.PrintTwo || session.LowMinStock || session.HasGuid ||
               session.ManuDownCX || session.BackFlag || session.XSTotal || session.AllChangeGF);
  EXPECT_EQ(session.OverFlag, 1);
  EXPECT_EQ(session.FirstLen, 0);
  EXPECT_EQ(session.ShopNo, QString());
  // An empty shift start is the server's time online and the till's offline.
  if (GetParam()) {
    EXPECT_LE(qAbs(session.OnDate.secsTo(QDateTime::currentDateTime())), 5);
  } else {
    EXPECT_EQ(session.OnDate, clock.Now());
  }
}

TEST_P(LoadSettingsTest, FlagsReadOnlyTheirExactTexts) {
  struct Case {
    QString stored;
    bool sp_not_discount;  // true unless exactly "0"
    bool discount_add;     // true only when exactly "1"
  };
  for (const Case& c :
       {Case{QStringLiteral("0"), false, false}, Case{QStringLiteral("1"), true, true},
        Case{QStringLiteral("2"), true, false}, Case{QStringLiteral("Y"), true, false},
        Case{QString(), true, false}}) {
    SCOPED_TRACE(c.stored.toStdString());
    Set("Options", "SPNotDiscount", c.stored);
    Set("Options", "DiscountAdd", c.stored);
    LoadSettings(session, dm);
    EXPECT_EQ(session.SPNotDiscount, c.sp_not_discount);
    EXPECT_EQ(session.DiscountAdd, c.discount_add);
  }
}

TEST_P(LoadSettingsTest, ShopStoreShiftAndCutLengthsComeFromTheModesDatabase) {
  dm.Current().Exec(
      QStringLiteral("INSERT INTO QTShop (ShopNo, ShopCode, ShopName, StoreNo) "
                     "VALUES ('0''1', 'S01', '南京路店', '01')"));
  dm.Current().Exec(
      QStringLiteral("INSERT INTO JBStore (StoreNo, StoreCode, StoreName, PriceLevel) "
                     "VALUES ('01', 'CK01', '南京路仓', 2)"));
  dm.Current().Exec(QStringLiteral("DELETE FROM JBOrgan"));
  dm.Current().Exec(
      QStringLiteral("INSERT INTO JBOrgan (OrganNo, FirstLen, LastLen) VALUES ('01', 2, 1)"));
  Set("SysSet", "ShopNo", QStringLiteral("0'1"));
  Set("SysSet", "StoreNo", QStringLiteral("01"));
  Set("SysSet", "OverFlag", QStringLiteral("0"));
  Set("SysSet", "OnOverOrderNo", QStringLiteral("BCS012026121000003"));
  const QDateTime opened(QDate(2026, 12, 10), QTime(8, 1, 2));
  Set("SysSet", "OnDate", FormatIniDateTime(opened));
  Set("SysSet", "OnOperatorNo", QStringLiteral("007"));
  Set("Options", "AmountPoint", QStringLiteral("2"));
  Set("Options", "PerJFAmount", QStringLiteral("0.5"));

  LoadSettings(session, dm);
  EXPECT_EQ(session.ShopNo, QStringLiteral("0'1"));
  EXPECT_EQ(session.ShopCode, QStringLiteral("S01"));
  EXPECT_EQ(session.ShopName, QStringLiteral("南京路店"));
  EXPECT_EQ(session.StoreName, QStringLiteral("南京路仓"));
  EXPECT_EQ(session.OverFlag, 0);
  EXPECT_EQ(session.OnOverOrderNo, QStringLiteral("BCS012026121000003"));
  EXPECT_EQ(session.OnDate, opened);
  EXPECT_EQ(session.OnOperatorNo, QStringLiteral("007"));
  EXPECT_EQ(session.AmountPoint, 2);
  EXPECT_DOUBLE_EQ(session.PerJFAmount, 0.5);
  EXPECT_EQ(session.FirstLen, 2);
  EXPECT_EQ(session.LastLen, 1);
}

TEST_P(LoadSettingsTest, OrganisationTableWithoutCutColumnsCutsNothing) {
  dm.Current().Exec(QStringLiteral("DROP TABLE JBOrgan"));
  dm.Current().Exec(QStringLiteral("CREATE TABLE JBOrgan (OrganName VARCHAR(40))"));
  dm.Current().Exec(QStringLiteral("INSERT INTO JBOrgan VALUES ('总部')"));
  session.FirstLen = 9;
  LoadSettings(session, dm);
  EXPECT_EQ(session.FirstLen, 0);
  EXPECT_EQ(session.LastLen, 0);
}

TEST_P(LoadSettingsTest, ValueThatIsNotANumberOrDateStopsStartUp) {
  for (auto [section, key, bad] :
       {std::tuple{"Options", "AmountPoint", "abc"}, std::tuple{"Options", "PerJFAmount", "1,5"},
        std::tuple{"SysSet", "OverFlag", "x"}, std::tuple{"SysSet", "OnDate", "tomorrow"}}) {
    SCOPED_TRACE(key);
    QTemporaryDir dir;
    session.IniFile = dir.filePath(QStringLiteral("QTSet.ini"));
    Set(section, key, QString::fromUtf8(bad));
    EXPECT_THROW(LoadSettings(session, dm), SettingsError);
  }
}

TEST_P(LoadSettingsTest, AShopOrStoreTheDatabaseLacksNamesTheWrongValue) {
  const QString where = GetParam() ? QStringLiteral("服务器") : QStringLiteral("本地数据库");
  // Offline, a local file without any shop or store says its master data is missing.
  if (!GetParam()) {
    Set("SysSet", "ShopNo", QStringLiteral("0001"));
    try {
      LoadSettings(session, dm);
      ADD_FAILURE() << "started without master data";
    } catch (const SettingsError& e) {
      EXPECT_EQ(e.message(),
                QStringLiteral("本地数据库中没有零售店资料（基本资料还没有下载完整）。\r\n"
                               "请以连网模式登陆一次，下载基本资料后再使用断网模式。"));
    }
  }
  dm.Current().Exec(QStringLiteral("INSERT INTO QTShop (ShopNo, ShopName) VALUES ('0001', '店')"));
  dm.Current().Exec(
      QStringLiteral("INSERT INTO JBStore (StoreNo, StoreName) VALUES ('0001', '仓')"));
  struct Case {
    const char* shop;
    const char* store;
    QString error;  // empty: starts
  };
  for (const Case& c :
       {Case{"0001", "0001", {}},
        Case{
            "00", "0001",
            QStringLiteral("设置文件中的零售店编号 SysSet/ShopNo=\"00\" 在%1中找不到对应的零售店。")
                .arg(where)},
        Case{"0001", "00",
             QStringLiteral("设置文件中的仓库编号 SysSet/StoreNo=\"00\" 在%1中找不到对应的仓库。")
                 .arg(where)}}) {
    SCOPED_TRACE(c.shop + std::string("/") + c.store);
    Set("SysSet", "ShopNo", QString::fromUtf8(c.shop));
    Set("SysSet", "StoreNo", QString::fromUtf8(c.store));
    try {
      LoadSettings(session, dm);
      EXPECT_TRUE(c.error.isEmpty());
      EXPECT_EQ(session.ShopName, QStringLiteral("店"));
      EXPECT_EQ(session.StoreName, QStringLiteral("仓"));
    } catch (const SettingsError& e) {
      EXPECT_TRUE(e.message().startsWith(c.error) && !c.error.isEmpty()) << e.what();
    }
  }
}

QUILMO_BOTH_MODES(LoadSettingsTest);

class LoadServerOptionsTest : public test::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    if (HasFatalFailure()) return;
    session.IsOnline = true;
    dm.conServer.Exec(QStringLiteral("DELETE FROM QTSysSet"));
    dm.conServer.Exec(QStringLiteral(
        "INSERT INTO QTSysSet (SysSetNo, AmountPoint, PerJFAmount, DiscountAdd, PrintTwo, "
        "ManuDownCX, LowMinStock, HasGuid, BackFlag, XSTotal, AllChangeGF, BackDays, "
        "SPNotDiscount, VIPNotDiscount, PrintDiscount, PrintCardNo, PrintOrderNo, PrintDisAmount, "
        "PrintPOSEmployee, Header, HeaderExplain, Footer, FooterExplain, PrintContent) VALUES "
        "('1', 2, 0.1, 1, 0, 1, 0, 1, 1, 1, 0, 15, '0', '1', '1', '0', '1', '0', '1', "
        "'欢迎光临', '', '谢谢惠顾', '', '代码+数量+单价+金额')"));
  }
  QString Get(const char* key) {
    return ReadIniString(session.IniFile, QStringLiteral("Options"), QLatin1String(key));
  }
};

TEST_F(LoadServerOptionsTest, BackOfficeOptionsOverrideAndAreCopiedForOfflineUse) {
  LoadSettings(session, dm);
  LoadServerOptions(session, dm);
  EXPECT_EQ(session.AmountPoint, 2);
  EXPECT_DOUBLE_EQ(session.PerJFAmount, 0.1);
  EXPECT_EQ(session.BackDays, 15);
  EXPECT_TRUE(session.DiscountAdd && session.ManuDownCX && session.HasGuid && session.BackFlag &&
              session.XSTotal);
  EXPECT_FALSE(session.PrintTwo || session.LowMinStock || session.AllChangeGF);

  EXPECT_EQ(Get("AmountPoint"), QStringLiteral("2"));
  EXPECT_EQ(Get("PerJFAmount"), QStringLiteral("0.1"));
  EXPECT_EQ(Get("BackDays"), QStringLiteral("15"));
  EXPECT_EQ(Get("PrintContent"), QStringLiteral("代码+数量+单价+金额"));
  EXPECT_EQ(Get("Header"), QStringLiteral("欢迎光临"));
  EXPECT_EQ(Get("SPNotDiscount"), QStringLiteral("0"));

  // The back office's "no points on promotion lines" reaches the session one start later.
  EXPECT_TRUE(session.SPNotDiscount);
  LoadSettings(session, dm);
  LoadServerOptions(session, dm);
  EXPECT_FALSE(session.SPNotDiscount);
}

TEST_F(LoadServerOptionsTest, ABackOfficeTextWithALineBreakIsCopiedOnOneLine) {
  dm.conServer.Exec(
      QStringLiteral("UPDATE QTSysSet SET Header = E'欢迎\\r\\n[SysSet]\\nShopNo=02'"));
  ASSERT_TRUE(WriteIniString(session.IniFile, QStringLiteral("SysSet"), QStringLiteral("ShopNo"),
                             QStringLiteral("01")));
  LoadServerOptions(session, dm);
  EXPECT_EQ(Get("Header"), QStringLiteral("欢迎 [SysSet] ShopNo=02"));
  EXPECT_EQ(ReadIniString(session.IniFile, QStringLiteral("SysSet"), QStringLiteral("ShopNo")),
            QStringLiteral("01"));
}

TEST_F(LoadServerOptionsTest, HeaderEditedOnTheTillWins) {
  ASSERT_TRUE(WriteIniString(session.IniFile, QStringLiteral("Options"), QStringLiteral("Header"),
                             QStringLiteral("本店自定")));
  LoadServerOptions(session, dm);
  EXPECT_EQ(Get("Header"), QStringLiteral("本店自定"));
  EXPECT_EQ(Get("Footer"), QStringLiteral("谢谢惠顾"));
}

TEST_F(LoadServerOptionsTest, OfflineReadsOnlyTheSettingsFile) {
  session.IsOnline = false;
  LoadServerOptions(session, dm);
  EXPECT_EQ(Get("AmountPoint"), QString());
  EXPECT_FALSE(session.XSTotal);
}

}  // namespace
}  // namespace quilmo
