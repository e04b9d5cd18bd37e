#pragma once
#include <vector>
#include "gamedata/uSvFunctions_Model.h"

namespace qmz {

// Writable access to a model's fields for tests that build one by hand, without the loader; the windows
// see the same model read-only.
struct SvModelTestAccess {
  explicit SvModelTestAccess(SvModel& model)
      : DataValid(model.dataValid_),
        aFaction(model.aFaction_),
        aFactionProps(model.aFactionProps_),
        aSystem(model.aSystem_),
        aBase(model.aBase_),
        aGood(model.aGood_),
        aSolar(model.aSolar_),
        aMarket(model.aMarket_),
        MarketGoodNames(model.marketGoodNames_),
        MarketBaseNames(model.marketBaseNames_) {}

  bool& DataValid;
  TGoodArr& aFaction;
  TFactionArr& aFactionProps;
  TGoodArr& aSystem;
  TGoodArr& aBase;
  TGoodArr& aGood;
  TGoodArr& aSolar;
  TMarketMatrix& aMarket;
  TStringList& MarketGoodNames;
  TStringList& MarketBaseNames;
};

// Makes a base sell nothing: every cell a market line wrote for it is written again as not sold.
inline void ClearSold(TMarketMatrix& market, std::size_t base) {
  const std::vector<TMarketEntry> written(market.WrittenCells(base).begin(), market.WrittenCells(base).end());
  for (TMarketEntry entry : written) {
    entry.Cell.Sold = false;
    market.Write(base, entry.Good, entry.Cell);
  }
}

}  // namespace qmz
