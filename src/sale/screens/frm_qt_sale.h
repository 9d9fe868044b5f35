#pragma once

#include <QLabel>
#include <QMap>
#include <QTableView>
#include <functional>
#include <vector>

#include "frame/frm_root.h"
#include "sale/sale_context.h"
#include "sale/sale_desk.h"
#include "sale/sale_screen_actions.h"
#include "sale/screens/order_lines_model.h"

class QLineEdit;
class QPushButton;
class QTimer;

namespace quilmo {

// A label that carries a key's name and acts as that key when clicked.
class KeyLabel : public QLabel {
  Q_OBJECT
 public:
  KeyLabel(const QString& caption, QWidget* parent);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// The order-lines grid: read-only until an editing key opens a column.
class SaleGrid : public QTableView {
  Q_OBJECT
 public:
  using QTableView::QTableView;
  // The cell editor open now, if any.
  QWidget* OpenEditor() const;
  // Writes the open editor's text into the model and closes it.
  void CommitOpenEditor();
};

// The sale screen, "前台销售": the cashier rings up one order at a time by keys. What it
// decides lives in SaleDesk; this screen shows the order and the entry edits and turns keys
// and clicks into the desk's commands. Every command runs through one error handler, which
// also notices a lost server.
class TfrmQTSale : public TfrmRootFullSreen {
  Q_OBJECT
 public:
  // The commands of the key table, one per key.
  enum class Command {
    F1Help,
    F2Guide,
    F3WholeOrderDiscount,
    F4Card,
    F5Goods,
    F6Quantity,
    F7Price,
    F8SingleDiscount,
    F9Gift,
    F10Suspend,
    F11Retrieve,
    F12Checkout,
    CtrlQWithdraw,
    CtrlTReturn,
    CtrlBGrid,
    CtrlDelDeleteOrder,
    CtrlJKeyList,
    CtrlKLock,
    CtrlSUpload,
    CtrlXDownload,
    CtrlAltYReceiptTemplate,
    CtrlPReprint,
    CtrlAltZSwitchMode,
    UpQuantity,
    RightPrice,
    DownDiscount,
    CtrlNMemo,
    CtrlLPoints,
    EscLeave,
    DelLine,
  };

  TfrmQTSale(SaleContext& sale, SaleScreenActions actions, QString program_folder,
             QWidget* parent = nullptr);
  ~TfrmQTSale() override;

  // The opening steps: right 3, the first order. False when the screen must not be shown (the
  // cashier has been told why).
  bool Open();

  SaleDesk& desk() { return desk_; }
  OrderLinesModel* model() const { return model_; }
  // The key a command answers to; nothing for the label-only Del.
  static std::optional<Command> KeyCommand(int key, Qt::KeyboardModifiers modifiers);
  // Whether a command can act here: its work exists.
  bool Available(Command command) const;
  // Runs a command as its key or label does.
  void RunCommand(Command command);
  KeyLabel* label(Command command) const { return labels_.value(command); }

  // Clock strip.
  QLabel* lblTime;
  QPushButton* suiButton1;
  // Title band.
  QLabel* Label1;
  QLabel* lblShopCode;
  QLabel* lblShoName;
  QLabel* lblConnectSever;
  // Information strip.
  QLabel* lblOrderNo;
  QLabel* lblStoreNAme;
  QLabel* lblCarshier;
  QLabel* lblEmployee;
  // The lines.
  SaleGrid* dbgDetail;
  // Entry panel.
  QLineEdit* suiEdtGoods;
  QLineEdit* suiEdtQuntity;
  QLineEdit* suiEdtPrice;
  QLineEdit* suiEdtDiscount;
  QLabel* lblPRealAmount;
  QLabel* lblPClientAmount;
  QLabel* lblPChangeAmount;
  QLabel* lblCardCode;
  QLabel* lblPriceType;
  QLabel* lblTotalQty;
  QLabel* lblAmount;
  QTimer* Timer1;

 public slots:
  void reject() override;

 protected:
  bool FormKeyDown(QKeyEvent* event) override;

 private:
  void BuildLayout();
  void AddKeyLabel(Command command, const char* name, const QString& caption, const QString& hint,
                   QWidget* parent, QLayout* layout);
  bool GridHasFocus() const;
  void FocusSelect(QLineEdit* edit);
  void OnFocusChanged(QWidget* old, QWidget* now);
  void ShowTime();
  void ShowHeader();
  void ShowTotals();
  void ShowCard();
  void StartNextOrder();  // StartNewOrder and ResetEntry after the lines were dropped
  void ResetEntry();
  void GoodsEnter();
  void QuantityExit();
  void PriceExit();
  void DiscountExit();
  void OpenGrid(GridEditKey key);
  void LeaveGridToGoods();
  void Help();
  // Runs a piece of the screen's work; an error that escapes goes to the failure handler.
  void Run(const std::function<void()>& work);
  void Execute(Command command);

  SaleContext& sale_;
  SaleScreenActions actions_;
  QString program_folder_;
  SaleDesk desk_;
  OrderLinesModel* model_;
  QMap<Command, KeyLabel*> labels_;
  bool in_command_ = false;
  bool exit_running_ = false;  // an entry edit's check is running
  bool bouncing_ = false;      // the focus is being sent back where it must stay
  bool closing_ = false;
  quint64 shown_revision_ = 0;  // the lines' revision the totals were last shown for
  QMetaObject::Connection focus_connection_;
};

}  // namespace quilmo
