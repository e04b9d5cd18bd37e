#pragma once
// Route files as CSV, the way spreadsheets write them back: a field ends only at a comma; a field that
// starts with a double quote runs to its closing quote and may hold commas, doubled quotes (one quote each)
// and line breaks. Blanks around a field are not part of it. The files the program writes (the caption in
// quotes, the sub-items as comma text) read the same by these rules.

#include <cstddef>
#include <string>
#include <string_view>

namespace qmz {

// Follows the lines of one record: whether its text so far ends inside a quoted field, so that the next
// line still belongs to it.
class CsvRecordScan {
 public:
  // Takes the next line of the record (without its line end); true when the record is complete with it.
  bool TakeLine(std::string_view Line);

 private:
  bool inQuotes_ = false;
};

// Splits one record (its lines joined by LF) into fields, appending each to Out followed by End; returns
// the number of fields. A record of blanks only has none. A comma at the end adds one empty field; a quote
// that never closes runs to the end of the record.
std::size_t SplitCsvRecord(std::string_view Record, std::string& Out, char End);

}  // namespace qmz
