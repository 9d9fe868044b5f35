#include "payment/card_balance.h"

#include <atomic>
#include <chrono>
#include <latch>
#include <random>
#include <thread>
#include <vector>

#include "payment/card_fixture.h"
#include "sale/order_saving.h"

namespace quilmo {
namespace {

using test::CardTest;
using namespace Qt::StringLiterals;

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

  // One till's save of a sale paid from the card, through its own data module and
  // connection, as checkout saves it. False when the balance did not cover it.
  static bool Save(TDMFM& till, const QString& order_no, Money amount) {
    OrderHeader header;
    header.OrderNo = order_no;
    header.CardCode = u"SV"_s;
    header.Amount = header.RealAmount = header.CardAmount = amount;
    OrderLine line;
    line.OrderNo = order_no;
    line.SerialNo = 1;
    line.Quantity = 1;
    line.Price = line.Amount = amount;
    SaveRequest request;
    request.on_server = true;
    request.add_to_shift = false;
    try {
      StoreOrder(till, header, {line}, request);
      return true;
    } catch (const SaveError& e) {
      if (e.message() != BalanceShortText()) throw;
      return false;
    }
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
      PosSession till_session;
      till_session.IsOnline = true;
      TDMFM data(till_session, clock);
      Connection& c = data.conServer;
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
          if (Save(data, order_no, money)) {
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
      EXPECT_TRUE(
          dm.LookupValue(u"QTSaleOrder"_s, u"OrderNo"_s, order_no, true, u"OrderNo"_s).isEmpty())
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
      PosSession till_session;
      till_session.IsOnline = true;
      TDMFM data(till_session, clock);
      Connection& c = data.conServer;
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
            if (!Save(data, u"T%1-%2"_s.arg(n).arg(seq), amount)) ++refusals[i];
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
