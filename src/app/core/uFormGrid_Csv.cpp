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
  // Only quotes matter, so the scan jumps from one to the next: loading a large route file reads every line
  // here before it is split.
  const bool startedOutside = !inQuotes_;
  std::size_t i = 0;
  for (;;) {
    const std::size_t quote = Line.find('"', i);
    if (quote == std::string_view::npos) return !inQuotes_;
    i = quote + 1;
    if (inQuotes_) {
      // A doubled quote stands for one; a single one closes the field.
      if (i < Line.size() && Line[i] == '"') ++i;
      else inQuotes_ = false;
      continue;
    }
    // A quote opens a field only where the field starts: behind a comma, or at the start of a record, with
    // blanks between; elsewhere in an unquoted field it is just a character.
    std::size_t before = quote;
    while (before > 0 && IsBlank(Line[before - 1])) --before;
    inQuotes_ = before == 0 ? startedOutside : Line[before - 1] == ',';
  }
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
