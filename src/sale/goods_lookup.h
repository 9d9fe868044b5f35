#pragma once

#include <QString>
#include <vector>

#include "data/tdmfm.h"
#include "sale/goods_candidate.h"
#include "sale/order.h"
#include "sale/sale_ui.h"

namespace quilmo {

// The sale screens behind the data module's Ui.
inline SaleUi& SaleUiOf(TDMFM& dm) { return dynamic_cast<SaleUi&>(dm.ui()); }

// What a caller passes when it only wants a promotion's goods list, not a search.
inline constexpr QStringView kPromotionGoodsOnly = u"@#%123";

// From what the cashier typed or scanned to a priced line: search (the server's search
// function online, five local statements offline), let the cashier pick among several hits,
// fix colour and size, and hand the goods to BuildOrderLine, which appends the line and
// advances NextSerialNo. The caller sees whether a line was added from NextSerialNo. With a
// giftOrderNo the promotion's goods list stands in for the search. Database errors propagate.
void FindAndAddGoods(TDMFM& dm, const QString& code, int& NextSerialNo, OrderHeader& header,
                     const QString& giftOrderNo, bool isGift, OrderLines& lines, double discount,
                     double price, double quantity);

// The search of the mode: online the server's, offline the till's own.
std::vector<GoodsCandidate> SearchGoods(TDMFM& dm, const QString& code);

// The offline search on the local file: colour/size barcode (after cutting FirstLen and LastLen
// characters), goods barcode, goods code, goods name, then any goods whose barcode, code or name
// contains the text. The first statement that finds anything wins; stopped goods are never
// found, and an empty code finds nothing.
std::vector<GoodsCandidate> SearchGoodsLocal(TDMFM& dm, const QString& code);
// The online search: the server's function, given the code exactly as typed.
std::vector<GoodsCandidate> SearchGoodsOnline(TDMFM& dm, const QString& code);

// The goods of a promotion order, as candidates found by code.
std::vector<GoodsCandidate> LoadPromotionGoods(const Connection& connection,
                                               const QString& promotionOrderNo);

// The goods that may be given away (JBGoods.IsGift = 1), for the gift choosers.
std::vector<GoodsCandidate> LoadGiftGoods(const Connection& connection);

// The colours of a colour group or the sizes of a size group.
std::vector<ColorSizeItem> LoadColorSizeList(const Connection& connection, ColorSizeMode mode,
                                             const QString& groupNo);

// Asks for the colour and the size the goods needs (CSOptions 1 colour, 2 size, 3 both) and
// puts the all-colour / all-size defaults where it needs none. False when the cashier chose
// none; the box saying so has been shown.
bool ChooseColorSize(TDMFM& dm, GoodsCandidate& row);

// The goods list's search strip: the first row whose code is exactly the text, else the first
// whose name is; -1 when neither.
int FindCandidateRow(const std::vector<GoodsCandidate>& rows, const QString& text);

}  // namespace quilmo
