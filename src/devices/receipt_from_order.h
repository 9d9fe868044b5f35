#pragma once

#include "base/pos_session.h"
#include "devices/receipt_data.h"
#include "sale/order.h"

namespace quilmo {

// The receipt of a saved order: the header's figures, every line from the first to the last,
// the shop, the cashier, the sales assistant and the card of the sale. The one place that
// knows the order's shape.
ReceiptData ReceiptFromOrder(const Order& order, const PosSession& session);

}  // namespace quilmo
