#include "app/core/uFormMain_Debug.h"

#include <charconv>
#include <cmath>

#include "gamedata/uSVIni.h"
#include "platform/WholeFile.h"
#include "support/SysUtils.h"

namespace qmz {

namespace {

std::vector<std::string> Texts(const TStringList& list) {
  std::vector<std::string> texts;
  texts.reserve(std::size_t(list.Count()));
  for (int i = 0; i < list.Count(); ++i) texts.emplace_back(list[i]);
  return texts;
}

// A number of a market line, written with the user's decimal mark ('.' or ','; the lines carry no
// thousands separator); 0 when it is none.
double MarketNumber(std::string text) {
  for (char& c : text)
    if (c == ',') c = '.';
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return 0.0;
  return value;
}

// The eight fields of a market line. The seven numbers never hold a quote, so they are taken from the
// end and the name keeps whatever quotes or commas it has.
bool SplitMarketLine(const std::string& line, std::vector<std::string>& fields) {
  constexpr std::size_t numberFields = 7;
  if (line.size() < 2 || line.front() != '"' || line.back() != '"') return false;
  const std::string inner = line.substr(1, line.size() - 2);
  const std::string separator = "\",\"";
  std::vector<std::string> tail;
  std::size_t end = inner.size();
  while (tail.size() < numberFields) {
    const std::size_t at = end == 0 ? std::string::npos : inner.rfind(separator, end - 1);
    if (at == std::string::npos) return false;
    tail.insert(tail.begin(), inner.substr(at + separator.size(), end - at - separator.size()));
    end = at;
  }
  fields.clear();
  fields.push_back(inner.substr(0, end));
  fields.insert(fields.end(), tail.begin(), tail.end());
  return true;
}

}  // namespace

TDebugLists DebugLists(const SvModel& Data, int Mode) {
  switch (Mode) {
    case dlmFactions:
      return {Texts(Data.getFactionNames()), Texts(Data.getFactionNicknames())};
    case dlmBases:
      return {Texts(Data.getBaseNames()), {}};
    case dlmSystems:
      return {Texts(Data.getSystemNames()), Texts(Data.getSystemNicknames())};
    case dlmGoods:
      return {Texts(Data.getGoodNames()), Texts(Data.getGoodNicknames())};
    default:
      return {};
  }
}

std::vector<std::string> DebugRecordLines(const SvModel& Data, int Mode, int Index) {
  switch (Mode) {
    case dlmFactions:
      return Texts(Data.getFactionInfo(Index));
    case dlmBases:
      return Texts(Data.getBaseInfo(Index));
    case dlmSystems:
      return Texts(Data.getSystemInfo(Index));
    case dlmGoods:
      return Texts(Data.getGoodInfo(Index));
    default:
      return {};
  }
}

TRouteRow MarketRow(const std::string& Line, const std::string& BaseName) {
  TRouteRow row;
  row.SubItems.resize(MarketRowSubItems);
  std::vector<std::string> f;
  if (!SplitMarketLine(Line, f)) return row;
  const double price = MarketNumber(f[1]);
  const double factor = MarketNumber(f[5]);
  // The price at this base, rounded half to even as the list always showed it.
  const double atBase = std::nearbyint(price * factor);
  row.SubItems[0] = price != 0.0 ? "True" : "False";
  row.SubItems[1] = f[0];
  row.SubItems[2] = BaseName;
  row.SubItems[5] = f[2];
  row.SubItems[6] = std::isfinite(atBase) && std::fabs(atBase) < 9.0e18 ? Format("%d", std::int64_t(atBase)) : "0";
  row.SubItems[8] = f[4];
  row.SubItems[9] = f[3];
  row.SubItems[10] = f[6];
  row.SubItems[11] = f[7];
  return row;
}

std::vector<TRouteRow> MarketRows(const SvModel& Data, int Base, bool OnlySold) {
  if (Base <= 0 || std::size_t(Base) >= Data.aBase.size()) return {};
  const TStringList lines = Data.getMarketCsv(Base, OnlySold);
  const std::string& name = Data.aBase[std::size_t(Base)].name.str();
  std::vector<TRouteRow> rows;
  rows.reserve(std::size_t(lines.Count()));
  for (int i = 0; i < lines.Count(); ++i) rows.push_back(MarketRow(std::string(lines[i]), name));
  return rows;
}

int WriteIniDump(const TSvData& Data, const std::string& Folder) {
  int written = 0;
  for (int slot = 1; slot < IniSlotCount; ++slot) {
    const TSvIniFile* ini = Data.aIni[std::size_t(slot)].get();
    if (!ini) continue;
    TStringList text;
    ini->GetStrings(&text);
    if (platform::WriteFileAtomic(Folder + Format("IniFile_%d", slot), text.Text())) ++written;
  }
  return written;
}

}  // namespace qmz
