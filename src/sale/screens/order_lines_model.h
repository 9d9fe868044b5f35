#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <vector>

#include "sale/order.h"
#include "sale/sale_desk.h"

namespace quilmo {

// The sale grid's model over the order's lines. It shows a copy of each line as the view last
// saw it; Sync() compares that copy with the order and tells the view only about the rows that
// were added, removed or changed, so a scan onto a 200-line order repaints one row, as on a
// 2-line order.
class OrderLinesModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit OrderLinesModel(SaleDesk& desk, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // What a typed cell does: the screen runs it as a command (so errors reach its handler).
  using CellEditor = std::function<bool(int row, GridColumn column, const QString& text)>;
  void SetCellEditor(CellEditor editor) { editor_ = std::move(editor); }

  // Brings the view up to date with the order: rows added or removed, rows changed.
  void Sync();
  // A new order: every row goes.
  void Reset();

  static QString Title(GridColumn column);

 private:
  static bool SameLine(const OrderLine& a, const OrderLine& b);
  static bool SameShown(const OrderLine& a, const OrderLine& b);
  QString Text(const OrderLine& line, GridColumn column) const;

  SaleDesk& desk_;
  std::vector<OrderLine> shown_;
  CellEditor editor_;
};

}  // namespace quilmo
