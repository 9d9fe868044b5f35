#include "sale/goods_lookup.h"

#include "sale/sale_fixture.h"

namespace quilmo {
namespace {

using test::SaleTest;
using namespace Qt::StringLiterals;

// A small shop: colours and sizes in groups, goods whose codes, barcodes and names overlap the
// way real ones do, a stopped goods and goods with LIKE wildcards and a quote in their names.
class GoodsLookupTest : public SaleTest {
 protected:
  void SetUp() override {
    SaleTest::SetUp();
    if (HasFatalFailure()) return;
    // The shop's scanners frame every colour/size barcode with two characters in front and one
    // behind; the till learnt that from JBOrgan at start-up, the server reads it there.
    Insert(u"JBOrgan"_s, {{u"OrganNo"_s, u"01"_s}, {u"FirstLen"_s, 2}, {u"LastLen"_s, 1}});
    session.FirstLen = 2;
    session.LastLen = 1;
    Insert(u"JBColor"_s, {{u"ColorNo"_s, u"C01"_s}, {u"ColorName"_s, u"红"_s}});
    Insert(u"JBColor"_s, {{u"ColorNo"_s, u"C02"_s}, {u"ColorName"_s, u"蓝"_s}});
    Insert(u"JBSize"_s, {{u"SizeNo"_s, u"Z01"_s}, {u"SizeName"_s, u"M"_s}});
    Insert(u"JBSize"_s, {{u"SizeNo"_s, u"Z02"_s}, {u"SizeName"_s, u"L"_s}});
    Insert(u"JBCGroupDetail"_s, {{u"CGroupNo"_s, u"CG1"_s}, {u"ColorNo"_s, u"C01"_s}});
    Insert(u"JBCGroupDetail"_s, {{u"CGroupNo"_s, u"CG1"_s}, {u"ColorNo"_s, u"C02"_s}});
    Insert(u"JBSGroupDetail"_s, {{u"SGroupNo"_s, u"SG1"_s}, {u"SizeNo"_s, u"Z01"_s}});
    Insert(u"JBSGroupDetail"_s, {{u"SGroupNo"_s, u"SG1"_s}, {u"SizeNo"_s, u"Z02"_s}});

    Goods(u"G1"_s, u"A100"_s, 100,
          {{u"BarCode"_s, u"6900001"_s},
           {u"GoodsName"_s, u"衬衫"_s},
           {u"CSOptions"_s, 3},
           {u"CGroupNo"_s, u"CG1"_s},
           {u"SGroupNo"_s, u"SG1"_s}});
    Goods(u"G2"_s, u"6900001"_s, 80, {{u"GoodsName"_s, u"长裤"_s}});
    Goods(u"G3"_s, u"KA100Z"_s, 60, {{u"GoodsName"_s, u"短袖衬衫"_s}});
    Goods(u"G4"_s, u"STOP1"_s, 50, {{u"GoodsName"_s, u"停售衬衫"_s}, {u"StopFlag"_s, 1}});
    Goods(u"G5"_s, u"A500"_s, 40, {{u"GoodsName"_s, u"特卖50%专区"_s}});
    Goods(u"G6"_s, u"B150"_s, 150, {{u"GoodsName"_s, u"夹克"_s}});
    Goods(u"G7"_s, u"X_1"_s, 30, {{u"GoodsName"_s, u"帽子"_s}});
    Goods(u"G8"_s, u"ON1"_s, 300, {{u"GoodsName"_s, u"O'Neil外套"_s}});
    Goods(u"G9"_s, u"COL1"_s, 20,
          {{u"GoodsName"_s, u"围巾"_s}, {u"CSOptions"_s, 1}, {u"CGroupNo"_s, u"CG1"_s}});
    Goods(u"G10"_s, u"SIZ1"_s, 20,
          {{u"GoodsName"_s, u"袜子"_s}, {u"CSOptions"_s, 2}, {u"SGroupNo"_s, u"SG1"_s}});
    Goods(u"G11"_s, u"NOCOL"_s, 20,
          {{u"GoodsName"_s, u"手套"_s}, {u"CSOptions"_s, 1}, {u"CGroupNo"_s, u"CG0"_s}});
    Insert(u"JBClothBarCode"_s, {{u"BarCode"_s, u"CS0001"_s},
                                 {u"GoodsNo"_s, u"G1"_s},
                                 {u"ColorNo"_s, u"C01"_s},
                                 {u"SizeNo"_s, u"Z02"_s}});
  }

  // Scans a code as the sale screen does: quantity 1, no price typed, no discount.
  void Scan(const QString& code) { FindAndAddGoods(sale, order, {.code = code}); }
};

TEST_P(GoodsLookupTest, FiveSearchesInOrderFirstHitWins) {
  struct Case {
    QString typed;
    QString kind;  // empty when nothing is found
    QStringList codes;
    const char* why;
  };
  const Case cases[] = {
      {u"XXCS0001Y"_s,
       u"主条码"_s,
       {u"A100"_s},
       "colour/size barcode inside the scanner's framing"},
      {u"CS0001"_s, {}, {}, "an unframed code is cut too, and then matches nothing"},
      {u"6900001"_s, u"条码"_s, {u"A100"_s}, "a goods barcode beats another goods' code"},
      {u"A100"_s, u"代码"_s, {u"A100"_s}, "goods code"},
      {u"KA100Z"_s, u"代码"_s, {u"KA100Z"_s}, "the cut applies to colour/size barcodes only"},
      {u"衬衫"_s, u"名称"_s, {u"A100"_s}, "an exact name beats the fragment"},
      {u"衫"_s, u"模糊"_s, {u"A100"_s, u"KA100Z"_s}, "fragment, stopped goods left out"},
      {u"a10"_s, u"模糊"_s, {u"A100"_s, u"KA100Z"_s}, "fragments ignore letter case"},
      {u"STOP1"_s, {}, {}, "a stopped goods is never found"},
      {u"50%"_s, u"模糊"_s, {u"A500"_s}, "% is a character, not a wildcard"},
      {u"_1"_s, u"模糊"_s, {u"X_1"_s}, "_ is a character, not a wildcard"},
      {u"O'Neil"_s, u"模糊"_s, {u"ON1"_s}, "a quote neither breaks nor changes the statement"},
      {u"x' OR '1'='1"_s, {}, {}, "text in quotes stays text"},
      {QString(), {}, {}, "an empty code finds nothing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const std::vector<GoodsCandidate> found = SearchGoods(dm, c.typed);
    QStringList codes;
    for (const GoodsCandidate& g : found) {
      codes << g.GoodsCode;
      EXPECT_EQ(g.ReturnType, c.kind);
    }
    EXPECT_EQ(codes, c.codes);
  }
  // The colour/size barcode brings its colour and size; the goods searches bring placeholders.
  const std::vector<GoodsCandidate> barcode = SearchGoods(dm, u"XXCS0001Y"_s);
  ASSERT_EQ(barcode.size(), 1u);
  EXPECT_EQ(barcode[0].ColorNo, u"C01"_s);
  EXPECT_EQ(barcode[0].ColorName, u"红"_s);
  EXPECT_EQ(barcode[0].SizeName, u"L"_s);
  EXPECT_EQ(barcode[0].BarCode, u"CS0001"_s);
  EXPECT_EQ(barcode[0].UnitRate, 1);
  EXPECT_EQ(barcode[0].SRefPrice, 100);
}

TEST_P(GoodsLookupTest, SeveralHitsAreChosenFromTheList) {
  ui.ChooseGoods(u"KA100Z"_s);
  Scan(u"衫"_s);
  ASSERT_EQ(ui.goodsLists().size(), 1u);
  EXPECT_EQ(ui.goodsLists()[0], (QStringList{u"A100"_s, u"KA100Z"_s}));
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0].GoodsCode, u"KA100Z"_s);
  EXPECT_EQ(next_serial, 2);

  // Leaving the list adds nothing and says nothing.
  ui.LeaveGoodsList();
  Scan(u"衫"_s);
  EXPECT_EQ(lines.size(), 1);
  EXPECT_EQ(next_serial, 2);
  EXPECT_TRUE(ui.messages().empty());

  // A single hit goes straight on.
  Scan(u"O'Neil"_s);
  EXPECT_EQ(ui.goodsLists().size(), 2u);
  EXPECT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[1].GoodsCode, u"ON1"_s);
}

TEST_P(GoodsLookupTest, NothingFoundIsSaid) {
  Scan(u"NOSUCH"_s);
  EXPECT_EQ(ui.texts(), QStringList{u"没有找到该商品！"_s});
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(next_serial, 1);
}

TEST_P(GoodsLookupTest, ColourAndSizeAreAskedAsTheGoodsNeeds) {
  struct Case {
    QString typed;
    QStringList answers;      // colour/size names chosen; an empty entry closes the list
    QStringList asked;        // "mode group goods: choices" of every list shown
    QString refusal;          // the box that ends the lookup, or empty
    QStringList colour_size;  // ColorNo ColorName SizeNo SizeName of the line
  };
  const Case cases[] = {
      {u"KA100Z"_s, {}, {}, {}, {u"001"_s, u"通用色"_s, u"001"_s, u"通用码"_s}},
      {u"A100"_s,
       {u"蓝"_s, u"M"_s},
       {u"1 CG1 衬衫: 红,蓝"_s, u"2 SG1 衬衫: M,L"_s},
       {},
       {u"C02"_s, u"蓝"_s, u"Z01"_s, u"M"_s}},
      {u"XXCS0001Y"_s, {}, {}, {}, {u"C01"_s, u"红"_s, u"Z02"_s, u"L"_s}},
      {u"COL1"_s,
       {u"红"_s},
       {u"1 CG1 围巾: 红,蓝"_s},
       {},
       {u"C01"_s, u"红"_s, u"001"_s, u"通用码"_s}},
      {u"COL1"_s, {QString()}, {u"1 CG1 围巾: 红,蓝"_s}, u"没有选择颜色！"_s, {}},
      {u"SIZ1"_s, {QString()}, {u"2 SG1 袜子: M,L"_s}, u"没有选择尺码！"_s, {}},
      {u"A100"_s,
       {u"红"_s, QString()},
       {u"1 CG1 衬衫: 红,蓝"_s, u"2 SG1 衬衫: M,L"_s},
       u"没有选择尺码！"_s,
       {}},
      // A colour group without colours: the list closes at once.
      {u"NOCOL"_s, {}, {u"1 CG0 手套: "_s}, u"没有选择颜色！"_s, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString() + " " + c.asked.join(u'|').toStdString());
    ui.clear();
    lines.Clear();
    next_serial = 1;
    for (const QString& a : c.answers) {
      if (a.isNull()) {
        ui.CloseColorSize();
      } else {
        ui.ChooseColorSize(a);
      }
    }
    Scan(c.typed);

    QStringList asked;
    for (const ColorSizeRequest& r : ui.colorSizeRequests()) {
      QStringList names;
      for (const ColorSizeItem& i : r.items) names << i.Name;
      asked << QStringLiteral("%1 %2 %3: %4")
                   .arg(static_cast<int>(r.mode))
                   .arg(r.groupNo, r.goodsName, names.join(u','));
    }
    EXPECT_EQ(asked, c.asked);
    EXPECT_FALSE(ui.unansweredLeft());
    if (!c.refusal.isEmpty()) {
      EXPECT_EQ(ui.last(), u"提示|"_s + c.refusal);
      EXPECT_TRUE(lines.empty());
      EXPECT_EQ(next_serial, 1);
      continue;
    }
    EXPECT_TRUE(ui.messages().empty());
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(
        (QStringList{lines[0].ColorNo, lines[0].ColorName, lines[0].SizeNo, lines[0].SizeName}),
        c.colour_size);
  }
}

TEST_P(GoodsLookupTest, PromotionGoodsListReplacesTheSearch) {
  Promotion(u"CX01"_s, 3, 3, 1, 0, {u"G3"_s});
  EXPECT_EQ(FindAndAddGoods(sale, order, {.giftOrderNo = u"CX01"_s}), AddResult::Added);
  // Told even when the promotion has a single goods and no list is shown.
  EXPECT_EQ(ui.texts(), QStringList{u"现为促销阶段，请选择买赠送商品！"_s});
  EXPECT_TRUE(ui.goodsLists().empty());
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0].GoodsCode, u"KA100Z"_s);
  EXPECT_EQ(lines[0].CXFlag, -2);
  EXPECT_EQ(lines[0].CXOrderNo, u"CX01"_s);
}

TEST_P(GoodsLookupTest, TheGoodsListSearchStripFindsCodeThenName) {
  const std::vector<GoodsCandidate> rows = SearchGoods(dm, u"衫"_s);
  EXPECT_EQ(FindCandidateRow(rows, u"KA100Z"_s), 1);
  EXPECT_EQ(FindCandidateRow(rows, u"衬衫"_s), 0);
  EXPECT_EQ(FindCandidateRow(rows, u"衫"_s), -1);  // exact only
  EXPECT_EQ(FindCandidateRow(rows, QString()), -1);
}

QUILMO_BOTH_MODES(GoodsLookupTest);

// The till's file finds fragments through its trigram index, which must follow every change
// of the goods, and files made before the index existed still find them by reading the table.
class LocalFragmentSearchTest : public test::DataTest {
 protected:
  QStringList Found(const QString& code) {
    QStringList codes;
    for (const GoodsCandidate& g : SearchGoodsLocal(dm, code)) codes << g.GoodsCode;
    return codes;
  }
  void Exec(const QString& sql) { dm.conClient.Exec(sql); }
};

TEST_F(LocalFragmentSearchTest, TheIndexFollowsTheGoods) {
  Exec(
      u"INSERT INTO JBGoods (GoodsNo, GoodsCode, BarCode, GoodsName) VALUES "
      "('G1', 'DR-01', '6901234', '夏季新款连衣裙'), ('G2', 'dr-02', '6905678', '春季外套')"_s);
  EXPECT_EQ(Found(u"新款连"_s), QStringList{u"DR-01"_s});
  EXPECT_EQ(Found(u"DR-0"_s), (QStringList{u"DR-01"_s, u"dr-02"_s}));
  EXPECT_EQ(Found(u"01234"_s), QStringList{u"DR-01"_s});

  Exec(u"UPDATE JBGoods SET GoodsName = '秋季新品风衣' WHERE GoodsNo = 'G1'"_s);
  EXPECT_EQ(Found(u"新款连"_s), QStringList{});
  EXPECT_EQ(Found(u"新品风"_s), QStringList{u"DR-01"_s});

  Exec(u"UPDATE JBGoods SET StopFlag = 1 WHERE GoodsNo = 'G1'"_s);
  EXPECT_EQ(Found(u"新品风"_s), QStringList{});

  Exec(u"DELETE FROM JBGoods WHERE GoodsNo = 'G2'"_s);
  EXPECT_EQ(Found(u"DR-0"_s), QStringList{});
  // The goods come back as the download writes them: deleted, then inserted again.
  Exec(u"INSERT INTO JBGoods (GoodsNo, GoodsCode, GoodsName) VALUES ('G2', 'dr-02', '春季外套')"_s);
  EXPECT_EQ(Found(u"季外套"_s), QStringList{u"dr-02"_s});
  Exec(u"INSERT INTO JBGoodsFind(JBGoodsFind, rank) VALUES ('integrity-check', 1)"_s);
}

TEST_F(LocalFragmentSearchTest, AFileWithoutTheIndexStillFindsFragments) {
  for (const char16_t* sql :
       {u"DROP TRIGGER JBGoodsFind_insert", u"DROP TRIGGER JBGoodsFind_delete",
        u"DROP TRIGGER JBGoodsFind_update", u"DROP TABLE JBGoodsFind"}) {
    Exec(QString::fromUtf16(sql));
  }
  Exec(
      u"INSERT INTO JBGoods (GoodsNo, GoodsCode, BarCode, GoodsName) VALUES "
      "('G1', 'DR-01', '6901234', '夏季新款连衣裙'), ('G2', 'dr-02', '6905678', '春季外套')"_s);
  EXPECT_EQ(Found(u"新款连"_s), QStringList{u"DR-01"_s});
  EXPECT_EQ(Found(u"dr-0"_s), (QStringList{u"DR-01"_s, u"dr-02"_s}));
}

// Both modes fold letter case the same way, letters beyond ASCII included, and a text with a
// NUL in it finds nothing in either (it listed every goods offline and failed online).
class BothModesSearchTest : public test::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    if (HasFatalFailure()) return;
    ExecBoth(
        u"INSERT INTO JBGoods (GoodsNo, GoodsCode, BarCode, GoodsName) VALUES "
        "('G1', 'ＡＢＣ-1', '690001', '全角ＡＢＣ外套'), ('G2', 'CAFE-2', '690002', 'CAFÉ 衬衫'), "
        "('G3', 'Straße', '690003', 'ΣΟΦΙΑ 围巾'), ('G4', 'plain', '690004', 'Plain Shirt')"_s);
  }
  QStringList Found(bool online, const QString& code) {
    QStringList codes;
    for (const GoodsCandidate& g :
         online ? SearchGoodsOnline(dm, code) : SearchGoodsLocal(dm, code))
      codes << g.GoodsCode;
    return codes;
  }
};

TEST_F(BothModesSearchTest, FragmentsFoldCaseAsTheServerDoesAndANulFindsNothing) {
  struct Case {
    QString typed;
    QStringList codes;
  };
  const Case cases[] = {
      {u"ａｂｃ"_s, {u"ＡＢＣ-1"_s}},  // full-width letters, through the index
      {u"ａｂ"_s, {u"ＡＢＣ-1"_s}},    // shorter than the index's trigrams
      {u"café"_s, {u"CAFE-2"_s}},
      {u"fé"_s, {u"CAFE-2"_s}},
      {u"σοφ"_s, {u"Straße"_s}},
      {u"STRASSE"_s, {}},  // folding is letter by letter, as lower() is
      {u"PLAIN s"_s, {u"plain"_s}},
      {u"pl"_s, {u"plain"_s}},
      {u"x"_s + QChar() + u"y"_s, {}},
      {QString(QChar()), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    EXPECT_EQ(Found(false, c.typed), c.codes);
    EXPECT_EQ(Found(true, c.typed), c.codes);
  }
}

}  // namespace
}  // namespace quilmo
