#pragma once
// Route files: comma-separated text, one header line with the column titles, then one line per row
// (the caption in double quotes, then the sub-items as comma text), lines ended by CR LF, UTF-8.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/uFormGrid_Rows.h"
#include "app/core/uFormGrid_Table.h"

namespace qmz {

// The header line as the program writes it, without its line end.
std::string RouteFileHeader();
// The whole file text of these rows, in their shown order; each row with the fields it has.
std::string RouteFileText(const TRouteTable& Rows);
std::string RouteFileText(const std::vector<TRouteRow>& Rows);
// Written through a temporary file renamed over Path, so a failed save leaves any old file intact.
bool SaveRouteFile(const std::string& Path, const TRouteTable& Rows);
bool SaveRouteFile(const std::string& Path, const std::vector<TRouteRow>& Rows);

enum class TRouteFileError {
  None,
  Unreadable,   // Reason holds the system's text
  NoHeader,     // the first line is not the header line
  HoldsNul,     // a NUL byte
  NotUtf8,      // not UTF-8 text
  TooManyRows,  // more rows than the list can count
};

struct TRouteFileLoad {
  TRouteFileError Error = TRouteFileError::None;
  std::string Reason;
  std::size_t Rows = 0;
  // Lines that gave a row with another number of fields than the list's 20 columns.
  std::size_t OtherFieldCountLines = 0;
};

// Reads a route file into Rows (appended; untouched unless the whole file is a route file). The header
// line (compared ignoring a trailing CR and blanks around it, after a UTF-8 byte-order mark) must come
// first; every later line becomes a row with as many fields as it holds, blank lines none. Tick gets the
// bytes read and the file's size.
TRouteFileLoad LoadRouteFile(const std::string& Path, TRouteTable& Rows, const TRouteTick& Tick = {});
// The same over a text in memory, read in pieces of PieceSize bytes as a file is.
TRouteFileLoad ParseRouteFileText(std::string_view Text, TRouteTable& Rows,
                                  std::size_t PieceSize = std::string_view::npos);

// The reason of a refused file in words, for the message that names it.
std::string RouteFileErrorText(const TRouteFileLoad& Load);

}  // namespace qmz
