#include "base/ini_file.h"

#include <sys/resource.h>

#include <QFile>
#include <csignal>

#include "base/gbk.h"
#include "support/qt_printers.h"
#include "support/temp_dir.h"

namespace quilmo {
namespace {

class IniFileTest : public test::TempDirTest {
 protected:
  QString ini() const { return Path(QStringLiteral("SysFile/QTSet.ini")); }
  QByteArray Bytes() const {
    QFile f(ini());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  void WriteBytes(const QByteArray& bytes) const {
    QDir().mkpath(Path(QStringLiteral("SysFile")));
    QFile f(ini());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
};

TEST_F(IniFileTest, MissingFileSectionOrKeyReadsEmpty) {
  EXPECT_EQ(ReadIniString(ini(), QStringLiteral("SysSet"), QStringLiteral("ShopNo")), QString());
  ASSERT_TRUE(WriteIniString(ini(), QStringLiteral("SysSet"), QStringLiteral("ShopNo"),
                             QStringLiteral("001")));
  EXPECT_EQ(ReadIniString(ini(), QStringLiteral("SysSet"), QStringLiteral("StoreNo")), QString());
  EXPECT_EQ(ReadIniString(ini(), QStringLiteral("Options"), QStringLiteral("ShopNo")), QString());
  EXPECT_EQ(ReadIniString(ini(), QStringLiteral("SysSet"), QStringLiteral("ShopNo")),
            QStringLiteral("001"));
}

TEST_F(IniFileTest, ChineseValueIsStoredAsGbkBytesAndReadBack) {
  const QString header = QStringLiteral("欢迎光临本店");
  ASSERT_TRUE(WriteIniString(ini(), QStringLiteral("Options"), QStringLiteral("Header"), header));
  // 欢 = BB B6, 迎 = D3 AD in GBK.
  EXPECT_TRUE(Bytes().contains(QByteArray("Header=\xBB\xB6\xD3\xAD")));
  EXPECT_FALSE(Bytes().contains(header.toUtf8()));
  EXPECT_EQ(ReadIniString(ini(), QStringLiteral("Options"), QStringLiteral("Header")), header);
}

TEST_F(IniFileTest, CharacterOutsideGbkRoundTrips) {
  // U+20BB7 (𠮷) and the euro sign have no GBK code but do have GB18030 ones.
  const QString value = QStringLiteral("𠮷€店");
  ASSERT_TRUE(WriteIniString(ini(), QStringLiteral("Options"), QStringLiteral("Footer"), value));
  EXPECT_EQ(ReadIniString(ini(), QStringLiteral("Options"), QStringLiteral("Footer")), value);
  EXPECT_EQ(EncodeGbk(QStringLiteral("店")), QByteArray("\xB5\xEA"));
}

TEST_F(IniFileTest, EmptyValueKeepsTheKeyAndReadsEmpty) {
  ASSERT_TRUE(WriteIniString(ini(), QStringLiteral("SysSet"), QStringLiteral("OnDate"),
                             QStringLiteral("2026-12-10 09:00:00")));
  ASSERT_TRUE(WriteIniString(ini(), QStringLiteral("SysSet"), QStringLiteral("OnDate"), {}));
  EXPECT_EQ(ReadIniString(ini(), QStringLiteral("SysSet"), QStringLiteral("OnDate")), QString());
  EXPECT_TRUE(Bytes().contains("OnDate=\n"));
}

TEST_F(IniFileTest, NamesMatchWithoutRegardToCaseAndKeepTheFileSpelling) {
  WriteBytes("[sysset]\nSHOPNO=7\n");
  EXPECT_EQ(ReadIniString(ini(), QStringLiteral("SysSet"), QStringLiteral("ShopNo")),
            QStringLiteral("7"));
  ASSERT_TRUE(WriteIniString(ini(), QStringLiteral("SYSSET"), QStringLiteral("shopno"),
                             QStringLiteral("8")));
  EXPECT_EQ(Bytes(), QByteArray("[sysset]\nSHOPNO=8\n"));
}

TEST_F(IniFileTest, WriteKeepsCommentsUnknownKeysAndOtherBytes) {
  // A hand-edited Windows file: CRLF, a comment, an unknown key, a line without '=', and a
  // byte sequence that is not valid GBK.
  const QByteArray original =
      "; set up by the technician\r\n"
      "[ConnectSet]\r\n"
      "ServerName=10.0.0.5\r\n"
      "Custom=\xBB\xB6\xFF\x01 kept\r\n"
      "garbage line\r\n"
      "\r\n"
      "[Options]\r\n"
      "Header=\xBB\xB6\xD3\xAD\r\n";
  WriteBytes(original);
  EXPECT_EQ(ReadIniString(ini(), QStringLiteral("ConnectSet"), QStringLiteral("ServerName")),
            QStringLiteral("10.0.0.5"));
  EXPECT_EQ(ReadIniString(ini(), QStringLiteral("Options"), QStringLiteral("Header")),
            QStringLiteral("欢迎"));

  ASSERT_TRUE(WriteIniString(ini(), QStringLiteral("ConnectSet"), QStringLiteral("DBAName"),
                             QStringLiteral("sa")));
  ASSERT_TRUE(WriteIniString(ini(), QStringLiteral("HardWareSet"), QStringLiteral("HavePrinter"),
                             QStringLiteral("Y")));
  EXPECT_EQ(Bytes(), QByteArray("; set up by the technician\r\n"
                                "[ConnectSet]\r\n"
                                "ServerName=10.0.0.5\r\n"
                                "Custom=\xBB\xB6\xFF\x01 kept\r\n"
                                "garbage line\r\n"
                                "DBAName=sa\r\n"
                                "\r\n"
                                "[Options]\r\n"
                                "Header=\xBB\xB6\xD3\xAD\r\n"
                                "\r\n"
                                "[HardWareSet]\r\n"
                                "HavePrinter=Y\r\n"));

  // Writing back the value a key already has leaves a GBK file byte-identical.
  const QByteArray before = Bytes();
  ASSERT_TRUE(WriteIniString(ini(), QStringLiteral("Options"), QStringLiteral("Header"),
                             QStringLiteral("欢迎")));
  EXPECT_EQ(Bytes(), before);
}

TEST_F(IniFileTest, FailedWriteLeavesThePreviousFileIntact) {
  ASSERT_TRUE(WriteIniString(ini(), QStringLiteral("SysSet"), QStringLiteral("OnOverOrderNo"),
                             QStringLiteral("BC00120261210001")));
  const QByteArray before = Bytes();

  // Let the process write no file larger than a few bytes, so the new file cannot be
  // completed; the write must fail and the shift record must survive.
  rlimit old_limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old_limit;
  small.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  QString error;
  const bool written = WriteIniString(ini(), QStringLiteral("SysSet"), QStringLiteral("OverFlag"),
                                      QStringLiteral("0"), &error);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(written);
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(Bytes(), before);
  EXPECT_EQ(QDir(Path(QStringLiteral("SysFile"))).entryList(QDir::Files),
            QStringList{QStringLiteral("QTSet.ini")});
}

TEST(Gbk, InvalidBytesDecodeWithReplacementAndReportIt) {
  bool ok = true;
  EXPECT_EQ(DecodeGbk(QByteArray("a\xFF"
                                 "b"),
                      &ok),
            QStringLiteral("a\uFFFDb"));
  EXPECT_FALSE(ok);
  EXPECT_EQ(DecodeGbk(QByteArray("\xB5\xEA"), &ok), QStringLiteral("店"));
  EXPECT_TRUE(ok);
  EXPECT_EQ(GbkWidth(QStringLiteral("合计:12")), 7);
}

}  // namespace
}  // namespace quilmo
