#pragma once

#include <QString>
#include <cstdio>
#include <vector>

#include "app/null_ui.h"
#include "base/money.h"
#include "sale/customer_display.h"

namespace quilmo::bench {

// The cashier of a benchmark takes the first entry of every list and says Yes. A notice box
// should not appear in a run that measures what it should: it is printed, so a run that
// measures a refusal instead of a sale shows it.
class FirstChoiceUi final : public NullUi {
 public:
  MsgResult MessageBox(const QString& caption, const QString& text, MsgIcon,
                       MsgButtons buttons) override {
    if (buttons == MsgButtons::Ok) {
      std::fprintf(stderr, "bench: box %s: %s\n", caption.toUtf8().constData(),
                   text.toUtf8().constData());
      return MsgResult::Ok;
    }
    return MsgResult::Yes;
  }
  int SelectGoods(const std::vector<GoodsCandidate>& rows) override {
    return rows.empty() ? -1 : 0;
  }
  ColorSizeChoice SelectColorSize(const ColorSizeRequest& request) override {
    if (request.items.empty()) return {};
    return {request.items.front().No, request.items.front().Name};
  }
};

class NoDisplay final : public CustomerDisplay {
 public:
  void ShowOnDisplay(int, Money) override {}
};

// The number of generated goods n.
inline QString GoodsNo(int n) { return QStringLiteral("BG%1").arg(n, 7, 10, QLatin1Char('0')); }

}  // namespace quilmo::bench
