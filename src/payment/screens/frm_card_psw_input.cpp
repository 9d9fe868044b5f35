#include "payment/screens/frm_card_psw_input.h"

namespace quilmo {

TfrmCardPSWInput::TfrmCardPSWInput(Ui& ui, const QString& cards_code,
                                   std::function<bool(const QString&)> check, QWidget* parent)
    : TfrmRootInput(ui,
                    {.caption = QStringLiteral("会员/储值卡密码输入"),
                     .prompt = QStringLiteral("密码："),
                     .kind = InputKind::Text,
                     .masked = true},
                    parent),
      cards_code_(cards_code),
      check_(std::move(check)) {
  setObjectName(QStringLiteral("TfrmCardPSWInput"));
}

bool TfrmCardPSWInput::AcceptValue(const QString& text) { return check_(text); }

}  // namespace quilmo
