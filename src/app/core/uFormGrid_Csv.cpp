#include "app/core/uFormGrid_Csv.h"

#include <algorithm>

#include "support/SysUtils.h"

namespace qmz {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

bool CsvRecordScan::TakeLine(std::string_view Line) {
  bool fieldStart = !inQuotes_;
  for (std::size_t i = 0; i < Line.size(); ++i) {
    const char c = Line[i];
    if (inQuotes_) {
      if (c != '"') continue;
      // A doubled quote stands for one; a single one closes the field.
      if (i + 1 < Line.size() && Line[i + 1] == '"') ++i;
      else inQuotes_ = false;
    } else if (c == ',') {
      fieldStart = true;
    } else if (c == '"' && fieldStart) {
      inQuotes_ = true;
      fieldStart = false;
    } else if (!IsBlank(c)) {
      // A quote inside an unquoted field is just a character.
      fieldStart = false;
    }
  }
  return !inQuotes_;
}

std::size_t SplitCsvRecord(std::string_view Record, std::string& Out, char End) {
  if (std::all_of(Record.begin(), Record.end(), IsBlank)) return 0;
  std::size_t count = 0;
  std::size_t i = 0;
  const std::size_t n = Record.size();
  for (;;) {
    std::size_t start = i;
    while (start < n && IsBlank(Record[start])) ++start;
    if (start < n && Record[start] == '"') {
      i = AppendQuotedText(Record, start + 1, Out);
      // Whatever stands between the closing quote and the comma belongs to the field, as spreadsheets read it.
      const std::size_t comma = std::min(Record.find(',', i), n);
      Out.append(TrimBlanks(Record.substr(i, comma - i)));
      i = comma;
    } else {
      const std::size_t comma = std::min(Record.find(',', start), n);
      Out.append(TrimBlanks(Record.substr(start, comma - start)));
      i = comma;
    }
    Out += End;
    ++count;
    if (i >= n) return count;
    ++i;  // the comma; one at the very end is followed by an empty field
  }
}

}  // namespace qmz
