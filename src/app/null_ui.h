#pragma once

#include "app/shell_ui.h"
#include "sale/sale_ui.h"

namespace quilmo {

// A Ui with nobody in front of it, for benchmarks and tools: boxes are not shown, questions
// are answered No, inputs and screens are cancelled, no windows open. Derive and override what
// a caller needs to see.
class NullUi : public SaleUi, public ShellUi {
 public:
  MsgResult MessageBox(const QString&, const QString&, MsgIcon, MsgButtons buttons) override {
    return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::No;
  }
  InputResult Input(const InputRequest&) override { return {}; }
  std::unique_ptr<Progress> ShowProgress(const QString&) override { return nullptr; }

  int ShowLoginOptions() override { return 0; }
  bool ShowConnectionSettings(AppContext&) override { return false; }
  QString SelectShop(const QList<ShopChoice>&) override { return {}; }
  bool ShowLogin(AppContext&) override { return false; }
  void ShowDownloadOptions(AppContext&) override {}
  std::unique_ptr<Progress> ShowSplash(const QString&) override { return nullptr; }
  void ShowSaleScreen(AppContext&) override {}

  int SelectGoods(const std::vector<GoodsCandidate>&) override { return -1; }
  ColorSizeChoice SelectColorSize(const ColorSizeRequest&) override { return {}; }
  QString SelectEmployee(const EmployeeFinder&) override { return {}; }
};

}  // namespace quilmo
