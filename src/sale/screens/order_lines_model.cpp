#include "sale/screens/order_lines_model.h"

#include "sale/pricing.h"

namespace quilmo {

OrderLinesModel::OrderLinesModel(SaleDesk& desk, QObject* parent)
    : QAbstractTableModel(parent), desk_(desk) {}

int OrderLinesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int OrderLinesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kGridColumnCount;
}

QString OrderLinesModel::Title(GridColumn column) {
  switch (column) {
    case GridColumn::SerialNo:
      return QStringLiteral("序号");
    case GridColumn::BarCode:
      return QStringLiteral("条形码");
    case GridColumn::GoodsCode:
      return QStringLiteral("商品编号");
    case GridColumn::GoodsName:
      return QStringLiteral("商品名称");
    case GridColumn::ColorName:
      return QStringLiteral("颜色");
    case GridColumn::SizeName:
      return QStringLiteral("尺码");
    case GridColumn::BaseUnit:
      return QStringLiteral("单位");
    case GridColumn::OrigPrice:
      return QStringLiteral("参考价");
    case GridColumn::Price:
      return QStringLiteral("价格");
    case GridColumn::Quantity:
      return QStringLiteral("数量");
    case GridColumn::Discount:
      return QStringLiteral("折扣(%)");
    case GridColumn::Amount:
      return QStringLiteral("金额");
    case GridColumn::Model:
      return QStringLiteral("规格");
    case GridColumn::Memo:
      return QStringLiteral("备注");
  }
  return {};
}

QString OrderLinesModel::Text(const OrderLine& line, GridColumn column) const {
  switch (column) {
    case GridColumn::SerialNo:
      return QString::number(line.SerialNo);
    case GridColumn::BarCode:
      return line.BarCode;
    case GridColumn::GoodsCode:
      return line.GoodsCode;
    case GridColumn::GoodsName:
      return line.GoodsName;
    case GridColumn::ColorName:
      return line.ColorName;
    case GridColumn::SizeName:
      return line.SizeName;
    case GridColumn::BaseUnit:
      return line.BaseUnit;
    case GridColumn::OrigPrice:
      return line.OrigPrice.ShortText();
    case GridColumn::Price:
      return line.Price.ShortText();
    case GridColumn::Quantity:
      return NumberText(line.Quantity);
    case GridColumn::Discount:
      return NumberText(line.Discount);
    case GridColumn::Amount:
      return line.Amount.ShortText();
    case GridColumn::Model:
      return line.Model;
    case GridColumn::Memo:
      return line.Memo;
  }
  return {};
}

QVariant OrderLinesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const OrderLine& line = shown_[static_cast<size_t>(index.row())];
  const auto column = static_cast<GridColumn>(index.column());
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return Text(line, column);
    case Qt::TextAlignmentRole:
      switch (column) {
        case GridColumn::SerialNo:
        case GridColumn::BaseUnit:
        case GridColumn::Quantity:
          return QVariant::fromValue(Qt::AlignCenter);
        case GridColumn::Price:
        case GridColumn::OrigPrice:
        case GridColumn::Discount:
        case GridColumn::Amount:
          return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        default:
          return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
      }
    default:
      return {};
  }
}

QVariant OrderLinesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kGridColumnCount) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  if (role == Qt::DisplayRole) return Title(static_cast<GridColumn>(section));
  return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags OrderLinesModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.isValid() && desk_.ColumnEditable(static_cast<GridColumn>(index.column()))) {
    f |= Qt::ItemIsEditable;
  }
  return f;
}

bool OrderLinesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || !editor_) return false;
  const bool ok = editor_(index.row(), static_cast<GridColumn>(index.column()), value.toString());
  Sync();
  return ok;
}

bool OrderLinesModel::SameLine(const OrderLine& a, const OrderLine& b) {
  return a.SerialNo == b.SerialNo && a.GoodsNo == b.GoodsNo && a.ColorNo == b.ColorNo &&
         a.SizeNo == b.SizeNo;
}

bool OrderLinesModel::SameShown(const OrderLine& a, const OrderLine& b) {
  return SameLine(a, b) && a.Quantity == b.Quantity && a.Price == b.Price &&
         a.Discount == b.Discount && a.Amount == b.Amount && a.OrigPrice == b.OrigPrice &&
         a.Memo == b.Memo && a.GoodsName == b.GoodsName && a.BarCode == b.BarCode &&
         a.GoodsCode == b.GoodsCode && a.ColorName == b.ColorName && a.SizeName == b.SizeName &&
         a.BaseUnit == b.BaseUnit && a.Model == b.Model;
}

void OrderLinesModel::Sync() {
  const OrderLines& lines = desk_.order().lines;
  const int old_count = static_cast<int>(shown_.size());
  const int new_count = lines.size();
  // The rows the view and the order have in common at the front and at the back; what lies
  // between went or came.
  int front = 0;
  const int common = std::min(old_count, new_count);
  while (front < common && SameLine(shown_[static_cast<size_t>(front)], lines[front])) ++front;
  int back = 0;
  while (back < common - front &&
         SameLine(shown_[static_cast<size_t>(old_count - 1 - back)], lines[new_count - 1 - back])) {
    ++back;
  }
  if (old_count - back > front) {
    beginRemoveRows({}, front, old_count - back - 1);
    shown_.erase(shown_.begin() + front, shown_.begin() + (old_count - back));
    endRemoveRows();
  }
  if (new_count - back > front) {
    beginInsertRows({}, front, new_count - back - 1);
    shown_.insert(shown_.begin() + front, lines.begin() + front,
                  lines.begin() + (new_count - back));
    endInsertRows();
  }
  // The rows kept: only those whose shown values changed are repainted.
  int first_changed = -1;
  auto flush = [&](int end) {
    if (first_changed < 0) return;
    emit dataChanged(index(first_changed, 0), index(end - 1, kGridColumnCount - 1));
    first_changed = -1;
  };
  for (int row = 0; row < new_count; ++row) {
    OrderLine& shown = shown_[static_cast<size_t>(row)];
    if (SameShown(shown, lines[row])) {
      flush(row);
      continue;
    }
    shown = lines[row];
    if (first_changed < 0) first_changed = row;
  }
  flush(new_count);
}

void OrderLinesModel::Reset() {
  beginResetModel();
  const OrderLines& lines = desk_.order().lines;
  shown_.assign(lines.begin(), lines.end());
  endResetModel();
}

}  // namespace quilmo
