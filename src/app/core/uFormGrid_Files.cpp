#include "app/core/uFormGrid_Files.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/AsciiText.h"
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

template <typename RowFields>
std::string FileText(std::size_t count, RowFields fields) {
  std::string out = RouteFileHeader();
  out += "\r\n";
  std::vector<std::string_view> items;
  for (std::size_t r = 0; r < count; ++r) {
    items.clear();
    fields(r, items);
    AppendQuoted(out, items.empty() ? std::string_view() : items.front());
    // A row with a caption only ends after it: a comma would read back as one more, empty, field.
    if (items.size() > 1) {
      out += ',';
      AppendCommaText(out, std::vector<std::string_view>(items.begin() + 1, items.end()));
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace

std::string RouteFileHeader() {
  std::string out;
  for (std::string_view header : RouteColumnHeaders) {
    out += '"';
    out += header;
    out += "\",";
  }
  return out;
}

std::string RouteFileText(const TRouteTable& Rows) {
  return FileText(Rows.Count(), [&](std::size_t r, std::vector<std::string_view>& items) {
    const std::size_t n = Rows.FieldCount(r);
    for (std::size_t c = 0; c < n; ++c) items.push_back(Rows.Field(r, int(c)));
  });
}

std::string RouteFileText(const std::vector<TRouteRow>& Rows) {
  return FileText(Rows.size(), [&](std::size_t r, std::vector<std::string_view>& items) {
    items.emplace_back(Rows[r].Caption);
    for (const std::string& s : Rows[r].SubItems) items.emplace_back(s);
  });
}

bool SaveRouteFile(const std::string& Path, const TRouteTable& Rows) {
  return platform::WriteFileAtomic(Path, RouteFileText(Rows));
}

bool SaveRouteFile(const std::string& Path, const std::vector<TRouteRow>& Rows) {
  return platform::WriteFileAtomic(Path, RouteFileText(Rows));
}

namespace {

// Takes the file a piece at a time and turns each whole line into a row; the lines end at CR LF, LF or CR.
class RouteFileReader {
 public:
  explicit RouteFileReader(TRouteTable& rows) : rows_(rows) {}

  bool Feed(std::string_view data) {
    if (!pending_.empty()) {
      pending_.append(data);
      const std::string joined = std::move(pending_);
      pending_.clear();
      return Lines(joined, false);
    }
    return Lines(data, false);
  }

  bool Finish() {
    const std::string rest = std::move(pending_);
    pending_.clear();
    if (!rest.empty() && !Lines(rest, true)) return false;
    if (!headerSeen_) result.Error = TRouteFileError::NoHeader;
    return result.Error == TRouteFileError::None;
  }

  TRouteFileLoad result;

 private:
  bool Lines(std::string_view data, bool last) {
    std::size_t pos = 0;
    if (skipLf_ && !data.empty() && data[0] == '\n') ++pos;
    skipLf_ = false;
    while (pos < data.size()) {
      const std::size_t end = data.find_first_of("\r\n", pos);
      if (end == std::string_view::npos) {
        if (!last) {
          pending_.assign(data.substr(pos));
          return true;
        }
        return Line(data.substr(pos));
      }
      if (!Line(data.substr(pos, end - pos))) return false;
      pos = end + 1;
      if (data[end] == '\r') {
        if (pos < data.size()) pos += data[pos] == '\n';
        else skipLf_ = true;
      }
    }
    return true;
  }

  bool Line(std::string_view line) {
    if (std::memchr(line.data(), '\0', line.size()) != nullptr) return Fail(TRouteFileError::HoldsNul);
    if (!IsValidUtf8(line)) return Fail(TRouteFileError::NotUtf8);
    if (!headerSeen_) {
      if (line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
      if (platform::TrimView(line) != RouteFileHeader()) return Fail(TRouteFileError::NoHeader);
      headerSeen_ = true;
      return true;
    }
    if (rows_.Count() == RouteTableMaxRows) return Fail(TRouteFileError::TooManyRows);
    std::size_t fields = 0;
    if (rows_.AppendCommaLine(line, &fields)) {
      ++result.Rows;
      if (fields != std::size_t(RouteColumnCount)) ++result.OtherFieldCountLines;
    }
    return true;
  }

  // A refused file loads no row at all.
  bool Fail(TRouteFileError error) {
    result.Error = error;
    result.Rows = 0;
    result.OtherFieldCountLines = 0;
    return false;
  }

  TRouteTable& rows_;
  std::string pending_;
  bool headerSeen_ = false;
  bool skipLf_ = false;
};

}  // namespace

namespace {

void TakeRows(TRouteTable& rows, TRouteTable& read) {
  if (rows.Count() == 0) {
    rows = std::move(read);
    return;
  }
  for (std::size_t r = 0; r < read.Count(); ++r) rows.Append(read.Row(r));
}

}  // namespace

TRouteFileLoad LoadRouteFile(const std::string& Path, TRouteTable& Rows, const TRouteTick& Tick) {
  TRouteTable table;
  RouteFileReader reader(table);
  std::uint64_t done = 0;
  std::string why;
  // Pieces of 4 MB: the caller's tick runs often enough to keep a window alive.
  bool read = false;
  try {
    read = platform::ReadFileChunks(
        Path, std::size_t(4) << 20,
        [&](std::string_view data, std::uint64_t size) {
      if (done == 0) table.Reserve(std::size_t(size), std::size_t(size / 64));
      done += data.size();
      if (Tick) Tick(std::size_t(done), std::size_t(std::max(size, done)));
      return reader.Feed(data);
        },
        &why);
  } catch (const std::bad_alloc&) {
    // A file far larger than the memory there is: refused like one that cannot be read.
    table.Clear();
    why = "not enough memory";
  }
  if (!read && reader.result.Error == TRouteFileError::None) {
    reader.result = TRouteFileLoad{TRouteFileError::Unreadable, why};
  }
  if (read && reader.Finish()) TakeRows(Rows, table);
  table.Clear();
  return reader.result;
}

TRouteFileLoad ParseRouteFileText(std::string_view Text, TRouteTable& Rows, std::size_t PieceSize) {
  TRouteTable table;
  RouteFileReader reader(table);
  PieceSize = std::max<std::size_t>(PieceSize, 1);
  bool fed = true;
  for (std::size_t at = 0; fed && at < Text.size(); at += std::min(PieceSize, Text.size() - at))
    fed = reader.Feed(Text.substr(at, PieceSize));
  if (fed && reader.Finish()) TakeRows(Rows, table);
  return reader.result;
}

std::string RouteFileErrorText(const TRouteFileLoad& Load) {
  switch (Load.Error) {
    case TRouteFileError::None:
      return {};
    case TRouteFileError::Unreadable:
      return "it could not be read (" + Load.Reason + ")";
    case TRouteFileError::NoHeader:
      return "its first line is not the header line of a route file";
    case TRouteFileError::HoldsNul:
      return "it holds a NUL byte";
    case TRouteFileError::NotUtf8:
      return "it is not UTF-8 text";
    case TRouteFileError::TooManyRows:
      return "it holds more routes than the list can show";
  }
  return {};
}

}  // namespace qmz
