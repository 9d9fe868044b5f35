#include "devices/receipt_data.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace quilmo {
namespace {

QJsonValue MoneyValue(Money m) { return m.ToString(Money::kDecimals); }
Money ReadMoney(const QJsonObject& o, const char* key) {
  return Money::Parse(o.value(QLatin1String(key)).toString()).value_or(Money());
}
QString ReadText(const QJsonObject& o, const char* key) {
  return o.value(QLatin1String(key)).toString();
}

}  // namespace

Money ReceiptData::DiscountTotal() const {
  Money total;
  for (const ReceiptLine& l : Lines) total += LineAmount(l.Price, l.Quantity, 100, 4) - l.Amount;
  return total;
}

QString GeneralNumber(double value) {
  if (!std::isfinite(value)) return QStringLiteral("0");
  if (value == 0) return QStringLiteral("0");  // no "-0"
  return QString::number(value, 'g', 15);
}

QByteArray ReceiptData::ToJson() const {
  QJsonArray lines;
  for (const ReceiptLine& l : Lines) {
    lines.append(QJsonObject{{QStringLiteral("GoodsCode"), l.GoodsCode},
                             {QStringLiteral("BarCode"), l.BarCode},
                             {QStringLiteral("GoodsName"), l.GoodsName},
                             {QStringLiteral("ColorName"), l.ColorName},
                             {QStringLiteral("SizeName"), l.SizeName},
                             {QStringLiteral("Price"), MoneyValue(l.Price)},
                             {QStringLiteral("Quantity"), l.Quantity},
                             {QStringLiteral("Discount"), l.Discount},
                             {QStringLiteral("Amount"), MoneyValue(l.Amount)}});
  }
  const QJsonObject o{
      {QStringLiteral("OrderNo"), OrderNo},
      {QStringLiteral("OrderDate"), OrderDate.toString(Qt::ISODate)},
      {QStringLiteral("RealAmount"), MoneyValue(RealAmount)},
      {QStringLiteral("BackAmount"), MoneyValue(BackAmount)},
      {QStringLiteral("CardCode"), CardCode},
      {QStringLiteral("CashAmount"), MoneyValue(CashAmount)},
      {QStringLiteral("CardAmount"), MoneyValue(CardAmount)},
      {QStringLiteral("Lines"), lines},
      {QStringLiteral("ShopCode"), ShopCode},
      {QStringLiteral("ShopName"), ShopName},
      {QStringLiteral("StoreName"), StoreName},
      {QStringLiteral("CashierCode"), CashierCode},
      {QStringLiteral("CashierName"), CashierName},
      {QStringLiteral("EmployeeCode"), EmployeeCode},
      {QStringLiteral("EmployeeName"), EmployeeName},
      {QStringLiteral("CardsCode"), CardsCode},
      {QStringLiteral("HolderName"), HolderName},
      {QStringLiteral("PointTotal"), PointTotal},
  };
  return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<ReceiptData> ReceiptData::FromJson(const QByteArray& json) {
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
  const QJsonObject o = doc.object();
  ReceiptData r;
  r.OrderNo = ReadText(o, "OrderNo");
  r.OrderDate = QDateTime::fromString(ReadText(o, "OrderDate"), Qt::ISODate);
  r.RealAmount = ReadMoney(o, "RealAmount");
  r.BackAmount = ReadMoney(o, "BackAmount");
  r.CardCode = ReadText(o, "CardCode");
  r.CashAmount = ReadMoney(o, "CashAmount");
  r.CardAmount = ReadMoney(o, "CardAmount");
  for (const QJsonValue& v : o.value(QStringLiteral("Lines")).toArray()) {
    const QJsonObject l = v.toObject();
    r.Lines.push_back({ReadText(l, "GoodsCode"), ReadText(l, "BarCode"), ReadText(l, "GoodsName"),
                       ReadText(l, "ColorName"), ReadText(l, "SizeName"), ReadMoney(l, "Price"),
                       l.value(QStringLiteral("Quantity")).toDouble(),
                       l.value(QStringLiteral("Discount")).toDouble(100), ReadMoney(l, "Amount")});
  }
  r.ShopCode = ReadText(o, "ShopCode");
  r.ShopName = ReadText(o, "ShopName");
  r.StoreName = ReadText(o, "StoreName");
  r.CashierCode = ReadText(o, "CashierCode");
  r.CashierName = ReadText(o, "CashierName");
  r.EmployeeCode = ReadText(o, "EmployeeCode");
  r.EmployeeName = ReadText(o, "EmployeeName");
  r.CardsCode = ReadText(o, "CardsCode");
  r.HolderName = ReadText(o, "HolderName");
  r.PointTotal = o.value(QStringLiteral("PointTotal")).toDouble();
  return r;
}

}  // namespace quilmo
