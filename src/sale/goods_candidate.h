#pragma once

#include <QString>
#include <span>
#include <vector>

#include "base/money.h"
#include "sale/field_table.h"

namespace quilmo {

// Which search found a goods candidate.
inline constexpr QStringView kFoundByClothBarCode = u"主条码";  // colour and size already set
inline constexpr QStringView kFoundByBarCode = u"条码";
inline constexpr QStringView kFoundByCode = u"代码";
inline constexpr QStringView kFoundByName = u"名称";
inline constexpr QStringView kFoundByFragment = u"模糊";

// One row of a goods search: what the goods lookup hands to the line builder. The online
// search function and the five offline statements return the same columns.
struct GoodsCandidate {
  QString ReturnType;
  QString GoodsNo;
  QString ColorNo;
  QString ColorName;
  QString SizeNo;
  QString SizeName;
  QString BarCode;
  QString GoodsCode;
  QString GoodsName;
  QString ProduceArea;  // the goods' fixed discount percent, when not empty and not "0"
  QString ProduceName;
  QString Model;
  QString BaseUnit;
  Money MinSPrice;
  Money SRefPrice;
  Money CostPrice;
  Money MemberPrice;
  double StoreFlag = 0;
  int DiscountFlag = 0;  // 1 = sold only at its special price
  double UnitRate = 1;   // base units per scanned unit
  QString CGroupNo;
  QString SGroupNo;
  int CSOptions = 0;  // 1 choose the colour, 2 the size, 3 both

  static std::span<const FieldDef<GoodsCandidate>> Fields();
};

// The colour/size chooser's list: a colour or size number and its name.
struct ColorSizeItem {
  QString No;
  QString Name;
};

enum class ColorSizeMode { Color = 1, Size = 2 };

struct ColorSizeRequest {
  ColorSizeMode mode = ColorSizeMode::Color;
  QString groupNo;
  QString goodsName;
  std::vector<ColorSizeItem> items;
};

// What the cashier chose; an empty name means nothing was chosen.
struct ColorSizeChoice {
  QString No;
  QString Name;
};

}  // namespace quilmo
