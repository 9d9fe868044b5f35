#pragma once

#include <QString>
#include <utility>
#include <vector>

#include "data/tdmfm.h"
#include "sale/goods_candidate.h"
#include "sale/order.h"
#include "sale/sale_context.h"

namespace quilmo {

// One scan or typed code, with what the cashier typed before it.
struct Scan {
  QString code;
  Money price;  // 0: the goods' own price
  double quantity = 1;
  double discount = 100;
  // A promotion's gift list stands in for the search (buy N get M); the code is not used.
  QString giftOrderNo;
  bool isGift = false;  // a gift at price 0
};

// What became of a scan.
enum class AddResult {
  Added,      // a new line, now the current one; NextSerialNo moved on
  Merged,     // the quantity went onto the current line (same goods, colour, size and price)
  NotFound,   // nothing matched; the cashier was told
  Cancelled,  // the cashier left the goods list or chose no colour or size
};

// From what the cashier typed or scanned to a priced line: search (the server's search
// function online, five local statements offline), let the cashier pick among several hits,
// fix colour and size, and hand the goods to BuildOrderLine. With a giftOrderNo the
// promotion's goods list stands in for the search. Database errors propagate.
AddResult FindAndAddGoods(SaleContext& sale, Order& order, const Scan& scan);

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

// The colours of one group and the sizes of another, in one statement.
std::pair<std::vector<ColorSizeItem>, std::vector<ColorSizeItem>> LoadColorAndSizeLists(
    const Connection& connection, const QString& colorGroupNo, const QString& sizeGroupNo);

// Asks for the colour and the size the goods needs (CSOptions 1 colour, 2 size, 3 both) and
// puts the all-colour / all-size defaults where it needs none. False when the cashier chose
// none; the box saying so has been shown.
bool ChooseColorSize(SaleContext& sale, GoodsCandidate& row);

// The goods list's search strip: the first row whose code is exactly the text, else the first
// whose name is; -1 when neither.
int FindCandidateRow(const std::vector<GoodsCandidate>& rows, const QString& text);

}  // namespace quilmo
