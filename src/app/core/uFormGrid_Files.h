#pragma once
// Route files: comma-separated text, one header line with the column titles, then one line per row
// (the caption in double quotes, then the sub-items as comma text), lines ended by CR LF, UTF-8.

#include <string>
#include <string_view>
#include <vector>

#include "app/core/uFormGrid_Rows.h"

namespace qmz {

// The whole file text of these rows, in their order.
std::string RouteFileText(const std::vector<TRouteRow>& Rows);
// Written through a temporary file renamed over Path, so a failed save leaves any old file intact.
bool SaveRouteFile(const std::string& Path, const std::vector<TRouteRow>& Rows);

// The rows of a file text (UTF-8, or Windows-1252 from an older file). The first line is the header
// and skipped whatever it holds; blank lines are skipped; a row with fewer than 19 sub-items is filled
// up with empty ones.
std::vector<TRouteRow> ParseRouteFileText(std::string_view Text);
// False (Rows untouched) when the file cannot be read.
bool LoadRouteFile(const std::string& Path, std::vector<TRouteRow>& Rows);

}  // namespace qmz
