#include "sale/goods_lookup.h"

#include <array>
#include <optional>
#include <utility>

#include "sale/pricing.h"

namespace quilmo {

std::span<const FieldDef<GoodsCandidate>> GoodsCandidate::Fields() {
  using G = GoodsCandidate;
  static const std::array kFields{
      Column("ReturnType", &G::ReturnType),
      Column("GoodsNo", &G::GoodsNo),
      Column("ColorNo", &G::ColorNo),
      Column("ColorName", &G::ColorName),
      Column("SizeNo", &G::SizeNo),
      Column("SizeName", &G::SizeName),
      Column("BarCode", &G::BarCode),
      Column("GoodsCode", &G::GoodsCode),
      Column("GoodsName", &G::GoodsName),
      Column("ProduceArea", &G::ProduceArea),
      Column("ProduceName", &G::ProduceName),
      Column("Model", &G::Model),
      Column("BaseUnit", &G::BaseUnit),
      Column("MinSPrice", &G::MinSPrice),
      Column("SRefPrice", &G::SRefPrice),
      Column("CostPrice", &G::CostPrice),
      Column("MemberPrice", &G::MemberPrice),
      Column("StoreFlag", &G::StoreFlag),
      Column("DiscountFlag", &G::DiscountFlag),
      Column("UnitRate", &G::UnitRate),
      Column("CGroupNo", &G::CGroupNo),
      Column("SGroupNo", &G::SGroupNo),
      Column("CSOptions", &G::CSOptions),
  };
  return kFields;
}

namespace {

// The goods columns of the four JBGoods searches. The colour and size columns carry the
// placeholder column Clolor until the colour/size step sets them.
constexpr char kGoodsColumns[] =
    "GoodsNo, Clolor AS ColorNo, Clolor AS ColorName, Clolor AS SizeNo, Clolor AS SizeName, "
    "BarCode, GoodsCode, GoodsName, ProduceArea, ProduceName, Model, BaseUnit, MinSPrice, "
    "SRefPrice, CostPrice, MemberPrice, StoreFlag, DiscountFlag, 1 AS UnitRate, CGroupNo, "
    "SGroupNo, CSOptions";

// Every statement of the lookup runs again on the next scan: it stays prepared on its
// connection.
std::vector<GoodsCandidate> Run(const Connection& connection, const QString& sql,
                                const QVariantMap& params) {
  return ReadRows<GoodsCandidate>(connection.Rows(sql, params));
}

// The scanned code as the colour/size barcode table holds it: scanners of some shops add
// characters before and after the printed code.
QString CutForClothBarCode(const QString& code, int first_len, int last_len) {
  first_len = std::max(first_len, 0);
  last_len = std::max(last_len, 0);
  if (code.size() <= first_len + last_len) return QStringLiteral("");
  return code.mid(first_len, code.size() - first_len - last_len);
}

// Whether the local file has the goods search index (files made before it was added do not).
bool HasGoodsFindIndex(const Connection& local) {
  return !local
              .FirstRow(QStringLiteral("SELECT name FROM sqlite_master "
                                       "WHERE type = 'table' AND name = 'JBGoodsFind'"))
              .isEmpty();
}

}  // namespace

std::vector<GoodsCandidate> SearchGoods(TDMFM& dm, const QString& code) {
  return dm.session().IsOnline ? SearchGoodsOnline(dm, code) : SearchGoodsLocal(dm, code);
}

std::vector<GoodsCandidate> SearchGoodsLocal(TDMFM& dm, const QString& code) {
  // As the server's search: an empty code would otherwise list every goods as a fragment hit.
  // A NUL cut the pattern short and listed every goods too; no goods holds one.
  if (code.isEmpty() || code.contains(QChar())) return {};
  // Hits come in the server's order too, so the goods list reads the same in both modes.
  const Connection& local = dm.conClient;
  const PosSession& session = dm.session();

  std::vector<GoodsCandidate> rows = Run(
      local,
      QStringLiteral(
          "SELECT '主条码' AS ReturnType, a.GoodsNo, a.ColorNo, c.ColorName, a.SizeNo, "
          "d.SizeName, a.BarCode, b.GoodsCode, b.GoodsName, b.ProduceArea, b.ProduceName, "
          "b.Model, b.BaseUnit, b.MinSPrice, b.SRefPrice, b.CostPrice, b.MemberPrice, "
          "b.StoreFlag, b.DiscountFlag, 1 AS UnitRate, b.CGroupNo, b.SGroupNo, b.CSOptions "
          "FROM ((JBClothBarCode a LEFT JOIN JBGoods b ON a.GoodsNo = b.GoodsNo) "
          "LEFT JOIN JBColor c ON a.ColorNo = c.ColorNo) "
          "LEFT JOIN JBSize d ON a.SizeNo = d.SizeNo "
          "WHERE COALESCE(b.StopFlag, 0) = 0 AND a.BarCode = :BarCode "
          "ORDER BY b.GoodsCode, a.BarCode"),
      {{QStringLiteral(":BarCode"), CutForClothBarCode(code, session.FirstLen, session.LastLen)}});
  if (!rows.empty()) return rows;

  struct Exact {
    const char* return_type;
    const char* column;
  };
  static constexpr Exact kExact[] = {
      {"条码", "BarCode"}, {"代码", "GoodsCode"}, {"名称", "GoodsName"}};
  for (const Exact& e : kExact) {
    rows = Run(local,
               QStringLiteral("SELECT '%1' AS ReturnType, %2 FROM JBGoods "
                              "WHERE COALESCE(StopFlag, 0) = 0 AND %3 = :Code "
                              "ORDER BY GoodsCode, GoodsNo")
                   .arg(QString::fromUtf8(e.return_type), QLatin1StringView(kGoodsColumns),
                        QLatin1StringView(e.column)),
               {{QStringLiteral(":Code"), code}});
    if (!rows.empty()) return rows;
  }

  // A fragment: the typed text is matched literally (a % or _ in it is no wildcard), with
  // letter case folded for every letter as the server folds it, not for ASCII alone.
  const QString pattern = code.toLower();
  const QString fragment_test = QStringLiteral(
      "COALESCE(StopFlag, 0) = 0 AND (instr(quilmo_lower(BarCode), :Pattern) > 0 OR "
      "instr(quilmo_lower(GoodsCode), :Pattern) > 0 OR instr(quilmo_lower(GoodsName), :Pattern) > "
      "0)");
  if (code.toUcs4().size() >= 3 && HasGoodsFindIndex(local)) {
    // The trigram index names the candidates; each is still tested as above, so the index
    // narrows the search without changing its answer.
    QString phrase = code;
    phrase.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return Run(local,
               QStringLiteral("SELECT '模糊' AS ReturnType, %1 FROM JBGoods WHERE rowid IN "
                              "(SELECT rowid FROM JBGoodsFind WHERE JBGoodsFind MATCH :Phrase) "
                              "AND %2 ORDER BY GoodsCode, GoodsNo")
                   .arg(QLatin1StringView(kGoodsColumns), fragment_test),
               {{QStringLiteral(":Phrase"), QLatin1Char('"') + phrase + QLatin1Char('"')},
                {QStringLiteral(":Pattern"), pattern}});
  }
  return Run(local,
             QStringLiteral("SELECT '模糊' AS ReturnType, %1 FROM JBGoods WHERE %2 "
                            "ORDER BY GoodsCode, GoodsNo")
                 .arg(QLatin1StringView(kGoodsColumns), fragment_test),
             {{QStringLiteral(":Pattern"), pattern}});
}

std::vector<GoodsCandidate> SearchGoodsOnline(TDMFM& dm, const QString& code) {
  // The server takes no text with a NUL in it, and no goods holds one: nothing is found.
  if (code.contains(QChar())) return {};
  return Run(dm.conServer, QStringLiteral("SELECT * FROM P_QTSelectGoods(:Goods, :SelectType)"),
             {{QStringLiteral(":Goods"), code}, {QStringLiteral(":SelectType"), 0}});
}

std::vector<GoodsCandidate> LoadPromotionGoods(const Connection& connection,
                                               const QString& promotionOrderNo) {
  return Run(
      connection,
      QStringLiteral("SELECT a.OrderNo, '代码' AS ReturnType, a.GoodsNo, b.Clolor AS ColorNo, "
                     "b.Clolor AS ColorName, b.Clolor AS SizeNo, b.Clolor AS SizeName, b.BarCode, "
                     "b.GoodsCode, b.GoodsName, b.ProduceArea, b.ProduceName, b.Model, b.BaseUnit, "
                     "b.MinSPrice, b.SRefPrice, b.CostPrice, b.MemberPrice, b.StoreFlag, "
                     "b.DiscountFlag, 1 AS UnitRate, b.CGroupNo, b.SGroupNo, b.CSOptions "
                     "FROM QTCXOrderDetail a LEFT JOIN JBGoods b ON a.GoodsNo = b.GoodsNo "
                     "WHERE a.OrderNo = :OrderNo ORDER BY b.GoodsCode, a.GoodsNo"),
      {{QStringLiteral(":OrderNo"), promotionOrderNo}});
}

std::vector<GoodsCandidate> LoadGiftGoods(const Connection& connection) {
  return Run(connection,
             QStringLiteral("SELECT *, 1 AS UnitRate FROM JBGoods WHERE IsGift = 1 "
                            "ORDER BY GoodsCode, GoodsNo"),
             {});
}

std::vector<ColorSizeItem> LoadColorSizeList(const Connection& connection, ColorSizeMode mode,
                                             const QString& groupNo) {
  const QString sql =
      mode == ColorSizeMode::Color
          ? QStringLiteral(
                "SELECT a.ColorNo, b.ColorName AS ColorSizeName "
                "FROM JBCGroupDetail a LEFT JOIN JBColor b ON a.ColorNo = b.ColorNo "
                "WHERE a.CGroupNo = :GroupNo")
          : QStringLiteral(
                "SELECT a.SizeNo, b.SizeName AS ColorSizeName "
                "FROM JBSGroupDetail a LEFT JOIN JBSize b ON a.SizeNo = b.SizeNo "
                "WHERE a.SGroupNo = :GroupNo");
  std::vector<ColorSizeItem> items;
  for (const QSqlRecord& r : connection.Rows(sql, {{QStringLiteral(":GroupNo"), groupNo}})) {
    items.push_back({r.value(0).toString(), r.value(1).toString()});
  }
  return items;
}

std::pair<std::vector<ColorSizeItem>, std::vector<ColorSizeItem>> LoadColorAndSizeLists(
    const Connection& connection, const QString& colorGroupNo, const QString& sizeGroupNo) {
  std::pair<std::vector<ColorSizeItem>, std::vector<ColorSizeItem>> lists;
  for (const QSqlRecord& r : connection.Rows(
           QStringLiteral("SELECT 1 AS Kind, a.ColorNo AS No, b.ColorName AS ColorSizeName "
                          "FROM JBCGroupDetail a LEFT JOIN JBColor b ON a.ColorNo = b.ColorNo "
                          "WHERE a.CGroupNo = :CGroupNo "
                          "UNION ALL "
                          "SELECT 2, a.SizeNo, b.SizeName "
                          "FROM JBSGroupDetail a LEFT JOIN JBSize b ON a.SizeNo = b.SizeNo "
                          "WHERE a.SGroupNo = :SGroupNo"),
           {{QStringLiteral(":CGroupNo"), colorGroupNo},
            {QStringLiteral(":SGroupNo"), sizeGroupNo}})) {
    (r.value(0).toInt() == 1 ? lists.first : lists.second)
        .push_back({r.value(1).toString(), r.value(2).toString()});
  }
  return lists;
}

bool ChooseColorSize(SaleContext& sale, GoodsCandidate& row) {
  struct Step {
    ColorSizeMode mode;
    bool needed;
    const QString& group;
    QString& no;
    QString& name;
    QString default_name;
    QString refusal;
  };
  const Step steps[] = {
      {ColorSizeMode::Color, row.CSOptions == 1 || row.CSOptions == 3, row.CGroupNo, row.ColorNo,
       row.ColorName, QStringLiteral("通用色"), QStringLiteral("没有选择颜色！")},
      {ColorSizeMode::Size, row.CSOptions == 2 || row.CSOptions == 3, row.SGroupNo, row.SizeNo,
       row.SizeName, QStringLiteral("通用码"), QStringLiteral("没有选择尺码！")},
  };
  // A goods in colours and sizes has both lists read at once: online each read is a round trip.
  std::optional<std::pair<std::vector<ColorSizeItem>, std::vector<ColorSizeItem>>> both;
  if (steps[0].needed && steps[1].needed) {
    both = LoadColorAndSizeLists(sale.dm.Current(), row.CGroupNo, row.SGroupNo);
  }
  for (const Step& step : steps) {
    if (!step.needed) {
      step.no = QStringLiteral("001");
      step.name = step.default_name;
      continue;
    }
    std::vector<ColorSizeItem> items;
    if (both) {
      items = step.mode == ColorSizeMode::Color ? both->first : both->second;
    } else {
      items = LoadColorSizeList(sale.dm.Current(), step.mode, step.group);
    }
    const ColorSizeRequest request{step.mode, step.group, row.GoodsName, std::move(items)};
    const ColorSizeChoice choice = sale.ui.SelectColorSize(request);
    if (choice.Name.isEmpty()) {
      sale.ui.MessageBox(QStringLiteral("提示"), step.refusal, MsgIcon::Information,
                         MsgButtons::Ok);
      return false;
    }
    step.no = choice.No;
    step.name = choice.Name;
  }
  return true;
}

int FindCandidateRow(const std::vector<GoodsCandidate>& rows, const QString& text) {
  if (text.isEmpty()) return -1;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].GoodsCode == text) return static_cast<int>(i);
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].GoodsName == text) return static_cast<int>(i);
  }
  return -1;
}

AddResult FindAndAddGoods(SaleContext& sale, Order& order, const Scan& scan) {
  std::vector<GoodsCandidate> found;
  if (!scan.giftOrderNo.isEmpty()) {
    // The promotion's own goods list replaces whatever a search would find, so none is run.
    found = LoadPromotionGoods(sale.dm.Current(), scan.giftOrderNo);
    sale.ui.ShowNoticeBox(QStringLiteral("现为促销阶段，请选择买赠送商品！"));
  } else {
    found = SearchGoods(sale.dm, scan.code);
  }
  if (found.empty()) {
    sale.ui.ShowNoticeBox(QStringLiteral("没有找到该商品！"));
    return AddResult::NotFound;
  }
  size_t chosen = 0;
  if (found.size() > 1) {
    const int row = sale.ui.SelectGoods(found);
    if (row < 0 || static_cast<size_t>(row) >= found.size()) return AddResult::Cancelled;
    chosen = static_cast<size_t>(row);
  }
  GoodsCandidate& goods = found[chosen];
  if (goods.ReturnType != kFoundByClothBarCode && !ChooseColorSize(sale, goods)) {
    return AddResult::Cancelled;
  }
  return BuildOrderLine(sale, order, goods, scan);
}

}  // namespace quilmo
