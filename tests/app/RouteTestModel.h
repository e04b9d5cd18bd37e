#pragma once
// A small hand-made model for the calculator's tests: systems, factions, bases and goods with names
// that say what they are, and a market in which each test sets the cells it needs.

#include <memory>
#include <string>

#include "gamedata/uSvFunctions.h"

namespace qmz::test {

// Systems 1 and 2; factions 1 (lawful) and 2 (not lawful); bases 1 .. bases, odd ones in system 1 run by
// faction 1, even ones in system 2 run by faction 2; goods 1 .. goods, price 100, volume 1, commodities.
// Every cell of a real base and good has the markets' defaults: not sold, factor 1, price 100, rep -1.
inline std::unique_ptr<TSvData> MakeRouteModel(int bases, int goods) {
  auto d = std::make_unique<TSvData>();
  d->aSystem.resize(3);
  d->aSystem[0].nickname = "loot";
  d->aSystem[0].name = "Loot Trading";
  d->aSystem[1].name = "Sys One";
  d->aSystem[2].name = "Sys Two";
  d->aFaction.resize(3);
  d->aFaction[1].name = "Lawful Guild";
  d->aFaction[2].name = "Pirates, Inc.";
  d->aFactionProps.resize(3);
  d->aFactionProps[1].lawful = true;
  d->aBase.resize(std::size_t(bases) + 1);
  d->aBase[0].nickname = "not available";
  d->aBase[0].name = "Loot trading dummy";
  for (int b = 1; b <= bases; ++b) {
    d->aBase[std::size_t(b)].name = "Base " + std::to_string(b);
    d->aBase[std::size_t(b)].system = b % 2 ? 1 : 2;
    d->aBase[std::size_t(b)].faction = b % 2 ? 1 : 2;
  }
  d->aGood.resize(std::size_t(goods) + 1);
  for (int g = 1; g <= goods; ++g) {
    TGood& good = d->aGood[std::size_t(g)];
    good.name = "Good " + std::to_string(g);
    good.etype = 1;
    good.volume = 1;
    good.price = 100.0;
  }
  // Every cell starts as the default: not sold, factor 1.0, the good's price 100, reputation -1.
  d->aMarket.Reset(d->aBase.size(), d->aGood);
  d->aMarket.SetDefaults(std::size_t(bases));
  d->DataValid = true;
  return d;
}

inline void SetCell(TSvData& d, int base, int good, bool sold, double price, float level = 0.0f, float rep = 0.0f) {
  TMarketCell c = d.aMarket[std::size_t(base)][std::size_t(good)];
  c.Sold = sold;
  c.Price = price;
  c.Level = level;
  c.Reputation = rep;
  d.aMarket.Write(std::size_t(base), std::size_t(good), c);
}

}  // namespace qmz::test
