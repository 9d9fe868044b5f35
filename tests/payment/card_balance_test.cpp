#include "payment/card_balance.h"

#include <atomic>
#include <chrono>
#include <latch>
#include <random>
#include <thread>
#include <vector>

#include "payment/card_fixture.h"

namespace quilmo {
namespace {

using test::CardTest;
using namespace Qt::StringLiterals;

class CardBalanceTest : public CardTest {
 protected:
  void SetUp() override {
    CardTest::SetUp();
    if (HasFatalFailure()) return;
    Card(u"SV"_s, u"储值卡"_s, u"固定折扣"_s, {{u"Amount"_s, 100}});
    Card(u"NULL"_s, u"储值卡"_s, u"固定折扣"_s, {{u"Amount"_s, QVariant()}});
    Card(u"OTHER"_s, u"普通会员卡"_s, u"固定折扣"_s, {{u"DownLogNo"_s, 7}});
  }
};

TEST_P(CardBalanceTest, ADebitIsTakenOnlyWhenTheBalanceCoversIt) {
  const Connection& c = dm.Current();
  struct Case {
    const char* card;
    const char* amount;
    bool taken;
    const char* balance_after;
  };
  const Case cases[] = {
      {"SV", "60", true, "40"},      {"SV", "50", false, "40"}, {"SV", "39.99", true, "0.01"},
      {"SV", "0.02", false, "0.01"}, {"SV", "0.01", true, "0"}, {"SV", "0", true, "0"},
      {"SV", "-20.5", true, "20.5"},  // a return paid back to the card
      {"NULL", "1", false, "0"},     {"NULL", "0", true, "0"},  {"NOSUCH", "1", false, nullptr},
  };
  for (const Case& k : cases) {
    const QString card = QString::fromLatin1(k.card);
    EXPECT_EQ(DebitStoredValue(c, card, M(k.amount)), k.taken) << k.card << " " << k.amount;
    if (k.balance_after) {
      EXPECT_EQ(Balance(GetParam(), card), M(k.balance_after)) << k.card << " " << k.amount;
    }
  }
  // Online, every debit taken moves the card on for the other tills' download; the local copy
  // keeps its DownLogNo, which only the download sets.
  EXPECT_EQ(CardColumn(GetParam(), u"SV"_s, "DownLogNo").toInt(), GetParam() ? 11 : 1);
}

TEST_P(CardBalanceTest, ThePaymentOfTheWholeBalanceIsTakenAfterManySmallOnes) {
  // The local file keeps REAL: a thousand payments of 0.07 must still leave exactly 30.
  Transaction transaction(dm.Current());
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(DebitStoredValue(dm.Current(), u"SV"_s, M("0.07")));
  EXPECT_FALSE(DebitStoredValue(dm.Current(), u"SV"_s, M("30.0001")));
  EXPECT_TRUE(DebitStoredValue(dm.Current(), u"SV"_s, M("30")));
  transaction.Commit();
  EXPECT_EQ(Balance(GetParam(), u"SV"_s), 0);
}

QUILMO_BOTH_MODES(CardBalanceTest);

class ServerCardBalanceTest : public CardTest {
 protected:
  void SetUp() override {
    CardTest::SetUp();
    if (HasFatalFailure()) return;
    session.IsOnline = true;
    Card(u"SV"_s, u"储值卡"_s, u"固定折扣"_s, {{u"Amount"_s, 1000}});
    address = {server().host, server().port, server().user, server().password};
  }

  Money ServerSum(const QString& sql) {
    return Money::FromVariant(dm.conServer.Scalar(sql, {{u":CardsCode"_s, u"SV"_s}}));
  }

  // One till's save: the order's header and the card payment in one transaction; a refused
  // debit rolls back the header with it.
  static bool Save(const Connection& c, const QString& order_no, Money amount) {
    Transaction transaction(c);
    c.Exec(
        u"INSERT INTO QTSaleOrder (OrderNo, CardCode, Amount, RealAmount, CardAmount) "
        "VALUES (:OrderNo, 'SV', :Amount, :Amount, :Amount)"_s,
        {{u":OrderNo"_s, order_no}, {u":Amount"_s, QVariant::fromValue(amount)}});
    if (!DebitStoredValue(c, u"SV"_s, amount)) return false;
    transaction.Commit();
    return true;
  }

  ServerAddress address;
};

// Sixteen tills pay random amounts from one card at the same time, each on its own
// connection; a refused payment is tried again with half the amount, down to one cent, so the
// card is emptied to the last cent.
TEST_P(ServerCardBalanceTest, SixteenTillsNeverOverdrawOneCard) {
  constexpr int kTills = 16;
  struct Till {
    std::vector<std::pair<QString, Money>> saved;
    std::vector<QString> refused;
    std::string error;
    bool finished = false;
  };
  std::vector<Till> tills(kTills);
  std::latch start(kTills);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::vector<std::thread> threads;
  for (int n = 0; n < kTills; ++n) {
    threads.emplace_back([&, n] {
      Till& till = tills[static_cast<size_t>(n)];
      Connection c(u"till%1"_s.arg(n), Engine::Server);
      QString error;
      const bool open = c.OpenServer(address, databaseName(), &error);
      start.arrive_and_wait();
      if (!open) {
        till.error = error.toStdString();
        return;
      }
      std::mt19937 random(static_cast<unsigned>(n) * 7919u + 17u);
      std::uniform_int_distribution<int> cents(1, 4000);
      int amount = cents(random);
      try {
        for (int seq = 1; amount > 0; ++seq) {
          if (std::chrono::steady_clock::now() > deadline) return;
          const QString order_no = u"T%1-%2"_s.arg(n).arg(seq);
          const Money money = Money::FromUnits(static_cast<std::int64_t>(amount) * 100);
          if (Save(c, order_no, money)) {
            till.saved.emplace_back(order_no, money);
            amount = cents(random);
          } else {
            till.refused.push_back(order_no);
            amount /= 2;
          }
        }
        till.finished = true;
      } catch (const std::exception& e) {
        till.error = e.what();
      }
    });
  }
  for (std::thread& t : threads) t.join();

  Money paid;
  int saved = 0;
  int refused = 0;
  for (const Till& till : tills) {
    EXPECT_EQ(till.error, "");
    EXPECT_TRUE(till.finished);
    for (const auto& [order_no, amount] : till.saved) paid += amount;
    saved += static_cast<int>(till.saved.size());
    refused += static_cast<int>(till.refused.size());
  }
  // Every till stopped at a refused cent: the card is empty, to the cent, and never below.
  const Money balance = Balance(true, u"SV"_s);
  EXPECT_EQ(balance, 0);
  EXPECT_EQ(paid, 1000);
  EXPECT_GT(saved, kTills);
  EXPECT_GE(refused, kTills);
  // The saves that succeeded are there in full; a refused one left nothing behind.
  EXPECT_EQ(dm.conServer.Scalar(u"SELECT COUNT(*) FROM QTSaleOrder"_s).toInt(), saved);
  EXPECT_EQ(ServerSum(u"SELECT SUM(CardAmount) FROM QTSaleOrder WHERE CardCode = :CardsCode"_s),
            paid);
  for (const Till& till : tills) {
    for (const QString& order_no : till.refused) {
      EXPECT_FALSE(dm.RowExists(u"QTSaleOrder"_s, u"OrderNo"_s, order_no, true))
          << order_no.toStdString();
    }
  }
}

// Top-ups from four tills while twelve pay: the balance is always what the card started with,
// plus its top-up history, less the sales.
TEST_P(ServerCardBalanceTest, TopUpsUnderLoadKeepTheBalanceEqualToItsHistory) {
  constexpr int kTills = 16;
  constexpr int kTopUpTills = 4;
  constexpr int kTopUpsEach = 8;
  std::vector<std::string> errors(kTills);
  std::vector<Money> topped_up(kTills);
  std::vector<int> refusals(kTills);
  std::latch start(kTills);
  std::vector<std::thread> threads;
  for (int n = 0; n < kTills; ++n) {
    threads.emplace_back([&, n] {
      const auto i = static_cast<size_t>(n);
      Connection c(u"till%1"_s.arg(n), Engine::Server);
      QString error;
      const bool open = c.OpenServer(address, databaseName(), &error);
      start.arrive_and_wait();
      if (!open) {
        errors[i] = error.toStdString();
        return;
      }
      std::mt19937 random(static_cast<unsigned>(n) * 104729u + 3u);
      std::uniform_int_distribution<int> cents(1, 20000);
      try {
        if (n < kTopUpTills) {
          for (int k = 0; k < kTopUpsEach; ++k) {
            const Money amount = Money::FromUnits(static_cast<std::int64_t>(cents(random)) * 100);
            AddCardAmountOnServer(c, {u"SV"_s, amount, u"张三"_s, QDate(2026, 12, 10)});
            topped_up[i] += amount;
          }
        } else {
          for (int seq = 1; seq <= 25; ++seq) {
            const Money amount = Money::FromUnits(static_cast<std::int64_t>(cents(random)) * 100);
            if (!Save(c, u"T%1-%2"_s.arg(n).arg(seq), amount)) ++refusals[i];
          }
        }
      } catch (const std::exception& e) {
        errors[i] = e.what();
      }
    });
  }
  for (std::thread& t : threads) t.join();
  Money added;
  for (int n = 0; n < kTills; ++n) {
    EXPECT_EQ(errors[static_cast<size_t>(n)], "") << n;
    added += topped_up[static_cast<size_t>(n)];
  }

  const Money history =
      ServerSum(u"SELECT SUM(Amount) FROM QTAddCardAmount WHERE CardsCode = :CardsCode"_s);
  const Money sales = ServerSum(
      u"SELECT COALESCE(SUM(CardAmount), 0) FROM QTSaleOrder WHERE CardCode = :CardsCode"_s);
  const Money balance = Balance(true, u"SV"_s);
  EXPECT_EQ(history, added);
  EXPECT_EQ(balance, Money(1000) + history - sales);
  EXPECT_GE(balance, 0);
  // Every top-up got a number of its own, one after the other.
  EXPECT_EQ(dm.conServer.Scalar(u"SELECT COUNT(DISTINCT AddCardNo) FROM QTAddCardAmount"_s).toInt(),
            kTopUpTills * kTopUpsEach);
  EXPECT_EQ(
      dm.conServer.Scalar(u"SELECT MAX(CAST(AddCardNo AS INTEGER)) FROM QTAddCardAmount"_s).toInt(),
      kTopUpTills * kTopUpsEach);
}

TEST_P(ServerCardBalanceTest, AnUploadedOfflineSaleTheBalanceNoLongerCoversIsKeptWithItsShortfall) {
  dm.conServer.Exec(u"UPDATE QTCards SET Amount = 30 WHERE CardsCode = 'SV'"_s);
  const QDateTime now(QDate(2026, 12, 10), QTime(18, 0));
  {
    Transaction transaction(dm.conServer);
    const UploadDebit debit = DebitStoredValueOnUpload(dm.conServer, u"XS1"_s, u"SV"_s, 20, now);
    EXPECT_EQ(debit.Debited, 20);
    EXPECT_EQ(debit.Shortfall, 0);
    const UploadDebit short_one =
        DebitStoredValueOnUpload(dm.conServer, u"XS2"_s, u"SV"_s, M("25.5"), now);
    EXPECT_EQ(short_one.Debited, 10);
    EXPECT_EQ(short_one.Shortfall, M("15.5"));
    const UploadDebit unknown = DebitStoredValueOnUpload(dm.conServer, u"XS3"_s, u"GONE"_s, 8, now);
    EXPECT_EQ(unknown.Debited, 0);
    EXPECT_EQ(unknown.Shortfall, 8);
    transaction.Commit();
  }
  EXPECT_EQ(Balance(true, u"SV"_s), 0);
  QSqlQuery q = dm.conServer.Query(
      u"SELECT OrderNo, CardsCode, CardAmount, DebitAmount, ShortAmount, UploadDate "
      "FROM QTCardShortfall ORDER BY OrderNo"_s);
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.value(0).toString(), u"XS2"_s);
  EXPECT_EQ(q.value(1).toString(), u"SV"_s);
  EXPECT_EQ(Money::FromVariant(q.value(2)), M("25.5"));
  EXPECT_EQ(Money::FromVariant(q.value(3)), 10);
  EXPECT_EQ(Money::FromVariant(q.value(4)), M("15.5"));
  EXPECT_EQ(q.value(5).toDateTime(), now);
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.value(0).toString(), u"XS3"_s);
  EXPECT_FALSE(q.next());

  // An upload that fails afterwards takes its debit and its record back with it.
  dm.conServer.Exec(u"UPDATE QTCards SET Amount = 5 WHERE CardsCode = 'SV'"_s);
  {
    Transaction transaction(dm.conServer);
    DebitStoredValueOnUpload(dm.conServer, u"XS4"_s, u"SV"_s, 9, now);
  }
  EXPECT_EQ(Balance(true, u"SV"_s), 5);
  EXPECT_FALSE(dm.RowExists(u"QTCardShortfall"_s, u"OrderNo"_s, u"XS4"_s, true));
}

TEST_P(ServerCardBalanceTest, TopUpsAreNumberedAndAnUnknownCardTakesNone) {
  const TopUpDone first = AddCardAmountOnServer(dm.conServer, {u"SV"_s, 500, u"张三"_s, {}});
  EXPECT_EQ(first.AddCardNo, u"0001"_s);
  EXPECT_EQ(first.EndAmount, 1000);
  EXPECT_EQ(first.NewBalance, 1500);
  const TopUpDone second = AddCardAmountOnServer(dm.conServer, {u"SV"_s, M("-0.5"), u"张三"_s, {}});
  EXPECT_EQ(second.AddCardNo, u"2"_s);
  EXPECT_EQ(second.NewBalance, M("1499.5"));
  EXPECT_THROW(AddCardAmountOnServer(dm.conServer, {u"GONE"_s, 5, u"张三"_s, {}}), Error);
  EXPECT_THROW(AddCardAmountOnServer(dm.conServer, {u"SV"_s, M("-1499.51"), u"张三"_s, {}}),
               BalanceShortError);
  EXPECT_EQ(dm.conServer.Scalar(u"SELECT COUNT(*) FROM QTAddCardAmount"_s).toInt(), 2);
  EXPECT_EQ(Balance(true, u"SV"_s), M("1499.5"));
}

// These run on the server only.
INSTANTIATE_TEST_SUITE_P(Online, ServerCardBalanceTest, ::testing::Values(true), test::ModeName);

}  // namespace
}  // namespace quilmo
