#pragma once
// Route files: comma-separated text, one header line with the column titles, then one line per row
// (the caption in double quotes, then the sub-items as comma text), lines ended by CR LF. Written as UTF-8;
// a file that is not UTF-8 text is read as Windows-1252, the code page such files were written in before.
// Read by CSV rules (uFormGrid_Csv.h), so a file a spreadsheet wrote back loads with every field in place.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/uFormGrid_Rows.h"
#include "app/core/uFormGrid_Table.h"

namespace qmz {

// The header line as the program writes it, without its line end.
std::string RouteFileHeader();
// The whole file text of these rows, in their shown order; each row with the fields it has. Made the
// same way as SaveRouteFile writes it.
std::string RouteFileText(const TRouteTable& Rows);
// Written a piece at a time through a temporary file renamed over Path, so a failed save leaves any old
// file intact. Tick gets the rows written and the rows in all between pieces; Reason, on failure, the
// system's text.
bool SaveRouteFile(const std::string& Path, const TRouteTable& Rows, const TRouteTick& Tick = {},
                   std::string* Reason = nullptr);

enum class TRouteFileError {
  None,
  Unreadable,   // Reason holds the system's text
  NoHeader,     // the first line is not the header line
  HoldsNul,     // a NUL byte
  TooManyRows,  // more rows than the list can count
};

struct TRouteFileLoad {
  TRouteFileError Error = TRouteFileError::None;
  std::string Reason;
  std::size_t Rows = 0;
  // Records that gave a row with another number of fields than the list's 20 columns (empty fields after
  // the last column not counted).
  std::size_t OtherFieldCountLines = 0;
};

// Reads a route file into Rows (appended; untouched unless the whole file is a route file). The header
// line must come first: after a UTF-8 byte-order mark, its fields (comma-separated, each quoted or not,
// blanks around each ignored, one empty field after the last allowed) are the column titles, letter case
// and all. Every later record (a line, or more when a quoted field holds line breaks) becomes a row with as
// many fields as it holds, blank lines none. Tick gets the bytes read and the file's size.
TRouteFileLoad LoadRouteFile(const std::string& Path, TRouteTable& Rows, const TRouteTick& Tick = {});
// The same over a text in memory, read in pieces of PieceSize bytes as a file is.
TRouteFileLoad ParseRouteFileText(std::string_view Text, TRouteTable& Rows,
                                  std::size_t PieceSize = std::string_view::npos);

// The reason of a refused file in words, for the message that names it.
std::string RouteFileErrorText(const TRouteFileLoad& Load);

}  // namespace qmz
