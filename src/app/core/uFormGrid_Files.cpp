#include "app/core/uFormGrid_Files.h"

#include <algorithm>

#include "platform/WholeFile.h"
#include "support/Classes.h"
#include "support/SysUtils.h"

namespace qmz {

namespace {

// The caption always stands in quotes; quotes inside are doubled so it reads back as written.
void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace

std::string RouteFileText(const std::vector<TRouteRow>& Rows) {
  std::string out;
  for (std::string_view header : RouteColumnHeaders) {
    out += '"';
    out += header;
    out += "\",";
  }
  out += "\r\n";
  TStringList items;
  for (const TRouteRow& row : Rows) {
    AppendQuoted(out, row.Caption);
    out += ',';
    items.Clear();
    for (const std::string& s : row.SubItems) items.Add(s);
    out += items.CommaText();
    out += "\r\n";
  }
  return out;
}

bool SaveRouteFile(const std::string& Path, const std::vector<TRouteRow>& Rows) {
  return platform::WriteFileAtomic(Path, RouteFileText(Rows));
}

std::vector<TRouteRow> ParseRouteFileText(std::string_view Text) {
  if (Text.substr(0, 3) == "\xEF\xBB\xBF") Text.remove_prefix(3);
  TStringList lines;
  lines.SetText(GameTextToUtf8(Text));
  std::vector<TRouteRow> rows;
  TStringList items;
  for (int i = 1; i < lines.Count(); ++i) {
    items.SetCommaText(lines[i]);
    if (items.Count() == 0) continue;  // a blank line holds no row
    TRouteRow row;
    row.Caption = items[0];
    row.SubItems.reserve(std::size_t(std::max(items.Count() - 1, RouteSubItemCount)));
    for (int k = 1; k < items.Count(); ++k) row.SubItems.emplace_back(items[k]);
    if (row.SubItems.size() < std::size_t(RouteSubItemCount)) row.SubItems.resize(std::size_t(RouteSubItemCount));
    rows.push_back(std::move(row));
  }
  return rows;
}

bool LoadRouteFile(const std::string& Path, std::vector<TRouteRow>& Rows) {
  std::string bytes;
  if (!platform::ReadWholeFile(Path, bytes)) return false;
  Rows = ParseRouteFileText(bytes);
  return true;
}

}  // namespace qmz
