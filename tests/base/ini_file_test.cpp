#include "base/ini_file.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <QFile>
#include <csignal>

#include "base/gbk.h"
#include "support/qt_printers.h"
#include "support/temp_dir.h"

namespace quilmo {
namespace {

using namespace Qt::StringLiterals;

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

TEST_F(IniFileTest, AValueWithALineBreakIsRefusedAndCannotAddASection) {
  ASSERT_TRUE(WriteIniStrings(
      ini(), {{u"ConnectSet"_s, u"DBAPSW"_s, u"old"_s}, {u"SysSet"_s, u"ShopNo"_s, u"0001"_s}}));
  const QByteArray before = Bytes();
  // A password pasted with what follows it: it must not become a section of its own.
  for (const QString& value :
       {u"pw\n[SysSet]\nShopNo=02"_s, u"pw\r\n"_s, u"pw\r"_s, QString::fromUtf16(u"p\0w", 3)}) {
    QString error;
    EXPECT_FALSE(WriteIniString(ini(), u"ConnectSet"_s, u"DBAPSW"_s, value, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(IniValueAllowed(value));
  }
  // Nor does a batch with one such value write any of the others.
  EXPECT_FALSE(WriteIniStrings(
      ini(), {{u"SysSet"_s, u"StoreNo"_s, u"S1"_s}, {u"ConnectSet"_s, u"DBAPSW"_s, u"a\nb"_s}}));
  EXPECT_EQ(Bytes(), before);
  EXPECT_EQ(ReadIniString(ini(), u"SysSet"_s, u"ShopNo"_s), u"0001"_s);
  // A section or key name that would break the file is refused too.
  EXPECT_FALSE(WriteIniString(ini(), u"Sys]Set"_s, u"ShopNo"_s, u"1"_s));
  EXPECT_FALSE(WriteIniString(ini(), u"SysSet"_s, u"Shop=No"_s, u"1"_s));
}

TEST_F(IniFileTest, AValueReadsBackExactlyAsWritten) {
  for (const QString& value :
       {u" lead"_s, u"trail  "_s, u"\ttab\t"_s, u"in side"_s, u"\"quoted\""_s, u"\""_s, u"\"half"_s,
        u"  "_s, u"a=b;c"_s, u"收 银 "_s}) {
    ASSERT_TRUE(WriteIniString(ini(), u"Options"_s, u"Header"_s, value));
    EXPECT_EQ(ReadIniString(ini(), u"Options"_s, u"Header"_s), value) << value.toStdString();
  }
  // A plain value is stored plainly, as a person reading the file expects.
  ASSERT_TRUE(WriteIniString(ini(), u"Options"_s, u"Header"_s, u"欢迎"_s));
  EXPECT_TRUE(Bytes().contains("Header=\xBB\xB6\xD3\xAD\n"));
}

TEST_F(IniFileTest, TheFileAndItsTemporaryCopyAreTheOwnersOnly) {
  // An older file left readable by everyone, and a process that would create files so.
  WriteBytes("[ConnectSet]\nDBAPSW=x\n");
  ASSERT_TRUE(QFile::setPermissions(
      ini(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
  const mode_t old_mask = ::umask(0);
  const bool written = WriteIniString(ini(), u"ConnectSet"_s, u"DBAPSW"_s, u"secret"_s);
  ::umask(old_mask);
  ASSERT_TRUE(written);
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(ini()).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  ASSERT_TRUE(QFile::setPermissions(
      ini(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
  ProtectIniFile(ini());
  ASSERT_EQ(::stat(QFile::encodeName(ini()).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(IniFileTest, ASnapshotReadsTheFileOnceAndAReadSeesTheFileAsItIsNow) {
  WriteBytes("[SysSet]\nShopNo=01\nStoreNo=S1\n[sysset]\nShopNo=99\n");
  const IniSnapshot snapshot = IniSnapshot::Read(ini());
  EXPECT_TRUE(snapshot.exists());
  EXPECT_EQ(snapshot.Value(u"SYSSET"_s, u"shopno"_s), u"01"_s);  // the first section counts
  EXPECT_EQ(snapshot.Value(u"SysSet"_s, u"StoreNo"_s), u"S1"_s);
  // Another program rewrites the file in place, same size: the next read sees it.
  WriteBytes("[SysSet]\nShopNo=02\nStoreNo=S2\n[sysset]\nShopNo=99\n");
  EXPECT_EQ(ReadIniString(ini(), u"SysSet"_s, u"ShopNo"_s), u"02"_s);
  EXPECT_EQ(snapshot.Value(u"SysSet"_s, u"ShopNo"_s), u"01"_s);
  EXPECT_FALSE(IniSnapshot::Read(Path(u"none.ini"_s)).exists());
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
  EXPECT_EQ(EncodeGbk(QStringLiteral("合计:12")).size(), 7);
}

}  // namespace
}  // namespace quilmo
