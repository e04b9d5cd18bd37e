#include "app/core/uFormGrid_Files.h"

#include "app/core/uFormGrid_Csv.h"

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

// The file text a piece at a time: the header line first, then the rows' lines in their shown order,
// each piece about PieceBytes long (whole lines).
class RouteFilePieces {
 public:
  RouteFilePieces(const TRouteTable& rows, std::size_t pieceBytes) : rows_(rows), pieceBytes_(pieceBytes) {}

  bool Next(std::string_view& piece) {
    text_.clear();
    if (!headerDone_) {
      text_ = RouteFileHeader();
      text_ += "\r\n";
      headerDone_ = true;
    } else if (next_ == rows_.Count()) {
      return false;
    }
    while (next_ < rows_.Count() && text_.size() < pieceBytes_) AppendLine(next_++);
    piece = text_;
    return true;
  }

  std::size_t RowsDone() const { return next_; }

 private:
  void AppendLine(std::size_t r) {
    rows_.Fields(r, fields_);
    AppendQuoted(text_, fields_.empty() ? std::string_view() : fields_.front());
    // A row with a caption only ends after it: a comma would read back as one more, empty, field.
    if (fields_.size() > 1) {
      text_ += ',';
      AppendCommaText(text_, std::span<const std::string_view>(fields_).subspan(1));
    }
    text_ += "\r\n";
  }

  const TRouteTable& rows_;
  const std::size_t pieceBytes_;
  std::size_t next_ = 0;
  bool headerDone_ = false;
  std::string text_;
  std::vector<std::string_view> fields_;
};

// Pieces of 1 MB: made and written in a few milliseconds, so the caller's tick keeps a window alive.
constexpr std::size_t kPieceBytes = std::size_t(1) << 20;

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
  RouteFilePieces pieces(Rows, kPieceBytes);
  std::string out;
  for (std::string_view piece; pieces.Next(piece);) out += piece;
  return out;
}

bool SaveRouteFile(const std::string& Path, const TRouteTable& Rows, const TRouteTick& Tick, std::string* Reason) {
  RouteFilePieces pieces(Rows, kPieceBytes);
  return platform::WriteFileAtomicPieces(
      Path,
      [&](std::string_view& piece) {
    if (Tick) Tick(pieces.RowsDone(), Rows.Count());
    return pieces.Next(piece);
      },
      Reason);
}

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// The header line as a spreadsheet may write it back: fields separated by commas, each quoted (a doubled
// quote inside for one) or not, blanks around each ignored; they must be the column titles as written,
// with at most one empty field after the last.
bool IsHeaderLine(std::string_view line) {
  std::size_t column = 0;
  std::size_t i = 0;
  std::string field;
  auto skipBlanks = [&] {
    while (i < line.size() && IsBlank(line[i])) ++i;
  };
  for (;; ++i, ++column) {
    field.clear();
    skipBlanks();
    if (i < line.size() && line[i] == '"') {
      for (++i;;) {
        const std::size_t quote = line.find('"', i);
        if (quote == std::string_view::npos) return false;
        field.append(line.substr(i, quote - i));
        i = quote + 1;
        if (i == line.size() || line[i] != '"') break;
        field += '"';
        ++i;
      }
      skipBlanks();
      if (i < line.size() && line[i] != ',') return false;
    } else {
      const std::size_t end = std::min(line.find(',', i), line.size());
      field = platform::TrimView(line.substr(i, end - i));
      i = end;
    }
    if (column < std::size_t(RouteColumnCount) ? field != RouteColumnHeaders[column]
                                               : column > std::size_t(RouteColumnCount) || !field.empty())
      return false;
    if (i == line.size()) return column + 1 >= std::size_t(RouteColumnCount);
  }
}

bool HasHighByte(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Takes the file a piece at a time and turns each whole line into a row; the lines end at CR LF, LF or CR.
// Lines are UTF-8 until the first that is not; from then on the file is read as Windows-1252. When lines
// before that one held other than ASCII, they were read the wrong way: the reader stops and asks for
// the file again (Again), to be read as Windows-1252 from its start.
class RouteFileReader {
 public:
  RouteFileReader(TRouteTable& rows, bool cp1252) : rows_(rows), cp1252_(cp1252) {}

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
    // A quote that never closes runs to the end of the file.
    if (inRecord_) {
      inRecord_ = false;
      if (!JoinedRecord()) return false;
    }
    if (!headerSeen_) result.Error = TRouteFileError::NoHeader;
    return result.Error == TRouteFileError::None;
  }

  bool Again() const { return again_; }

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
    if (!headerSeen_ && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    if (!cp1252_ && !IsValidUtf8(line)) {
      if (readNonAscii_) {
        again_ = true;
        return Fail(TRouteFileError::None);
      }
      cp1252_ = true;
    }
    if (cp1252_) {
      converted_ = Cp1252ToUtf8(line);
      line = converted_;
    } else if (!readNonAscii_) {
      readNonAscii_ = HasHighByte(line);
    }
    if (!headerSeen_) {
      if (!IsHeaderLine(line)) return Fail(TRouteFileError::NoHeader);
      headerSeen_ = true;
      return true;
    }
    // A quoted field may hold line breaks: its record goes on over the next lines.
    const bool complete = scan_.TakeLine(line);
    if (inRecord_) {
      record_ += '\n';
      record_ += line;
    } else if (!complete) {
      record_.assign(line);
    }
    inRecord_ = !complete;
    if (!complete) return true;
    return record_.empty() ? Record(line) : JoinedRecord();
  }

  // The record of several lines gathered so far; record_ is empty again for the next one.
  bool JoinedRecord() {
    const std::string joined = std::move(record_);
    record_.clear();
    return Record(joined);
  }

  bool Record(std::string_view record) {
    if (rows_.Count() == RouteTableMaxRows) return Fail(TRouteFileError::TooManyRows);
    std::size_t fields = 0;
    if (rows_.AppendCsvRecord(record, &fields)) {
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
  std::string converted_;
  CsvRecordScan scan_;
  std::string record_;     // the lines so far of a record that goes on over several
  bool inRecord_ = false;  // record_ waits for its next line
  bool headerSeen_ = false;
  bool skipLf_ = false;
  bool cp1252_;
  bool readNonAscii_ = false;  // a line read as UTF-8 held other than ASCII
  bool again_ = false;
};

void TakeRows(TRouteTable& rows, TRouteTable& read) {
  if (rows.Count() == 0) {
    rows = std::move(read);
    return;
  }
  for (std::size_t r = 0; r < read.Count(); ++r) rows.Append(read.Row(r));
}

// Runs Read (which feeds the reader the whole text and says whether it got to the end) as UTF-8 text,
// and once more as Windows-1252 when the reader asks for it.
template <typename Read>
TRouteFileLoad ReadRoutes(TRouteTable& Rows, Read read) {
  for (const bool cp1252 : {false, true}) {
    TRouteTable table;
    RouteFileReader reader(table, cp1252);
    const bool whole = read(reader, table);
    if (reader.Again()) continue;
    if (whole && reader.Finish()) TakeRows(Rows, table);
    table.Clear();
    return reader.result;
  }
  return {};
}

}  // namespace

TRouteFileLoad LoadRouteFile(const std::string& Path, TRouteTable& Rows, const TRouteTick& Tick) {
  return ReadRoutes(Rows, [&](RouteFileReader& reader, TRouteTable& table) {
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
    if (!read && !reader.Again() && reader.result.Error == TRouteFileError::None)
      reader.result = TRouteFileLoad{TRouteFileError::Unreadable, why};
    return read;
  });
}

TRouteFileLoad ParseRouteFileText(std::string_view Text, TRouteTable& Rows, std::size_t PieceSize) {
  PieceSize = std::max<std::size_t>(PieceSize, 1);
  return ReadRoutes(Rows, [&](RouteFileReader& reader, TRouteTable&) {
    bool fed = true;
    for (std::size_t at = 0; fed && at < Text.size(); at += std::min(PieceSize, Text.size() - at))
      fed = reader.Feed(Text.substr(at, PieceSize));
    return fed;
  });
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
    case TRouteFileError::TooManyRows:
      return "it holds more routes than the list can show";
  }
  return {};
}

}  // namespace qmz
