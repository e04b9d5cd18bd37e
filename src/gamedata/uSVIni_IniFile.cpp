#include "gamedata/uSVIni_IniFile.h"

#include <charconv>
#include <cmath>

#include "platform/LocalTime.h"
#include "platform/ProfileFile.h"
#include "support/SysUtils.h"

namespace qmz {

namespace {

// Reads exactly the digits of one field ("2006", "05"); false on anything else.
bool ReadField(std::string_view& text, std::size_t digits, int& out) {
  if (text.size() < digits) return false;
  const auto r = std::from_chars(text.data(), text.data() + digits, out);
  if (r.ec != std::errc() || r.ptr != text.data() + digits) return false;
  text.remove_prefix(digits);
  return true;
}

bool Expect(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

// Dates, times and numbers are kept in one fixed form ("yyyy-mm-dd", "hh:nn:ss", '.' as the decimal mark),
// not in the user's locale: a settings file written under one locale must read back under any other, and
// a value the locale could not parse would silently fall back to its default.
bool ParseDate(std::string_view& text, platform::LocalDateTime& t) {
  return ReadField(text, 4, t.Year) && Expect(text, '-') && ReadField(text, 2, t.Month) && Expect(text, '-') &&
         ReadField(text, 2, t.Day) && t.Month >= 1 && t.Month <= 12 && t.Day >= 1 && t.Day <= 31;
}

bool ParseTime(std::string_view& text, platform::LocalDateTime& t) {
  return ReadField(text, 2, t.Hour) && Expect(text, ':') && ReadField(text, 2, t.Minute) && Expect(text, ':') &&
         ReadField(text, 2, t.Second) && t.Hour < 24 && t.Minute < 60 && t.Second < 60;
}

// The value's whole text read by parse, which must use all of it; Default otherwise.
template <class Parse>
TDateTime ReadStamp(const TCustomIniFile& ini, const std::string& Section, const std::string& Ident, TDateTime Default,
                    Parse parse) {
  const std::string text = Trim(ini.ReadString(Section, Ident, ""));
  std::string_view rest = text;
  platform::LocalDateTime t;
  if (!parse(rest, t) || !rest.empty()) return Default;
  return platform::ToDateTime(t);
}

}  // namespace

int TCustomIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int Default) const {
  const std::string text = Trim(ReadString(Section, Ident, ""));
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return StrToIntDef(std::string(1, '$').append(text, 2), Default);
  }
  return StrToIntDef(text, Default);
}

void TCustomIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) const {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

TDateTime TCustomIniFile::ReadDate(const std::string& Section, const std::string& Ident, TDateTime Default) const {
  return ReadStamp(*this, Section, Ident, Default, ParseDate);
}

TDateTime TCustomIniFile::ReadDateTime(const std::string& Section, const std::string& Ident, TDateTime Default) const {
  return ReadStamp(*this, Section, Ident, Default, [](std::string_view& rest, platform::LocalDateTime& t) {
    // The time of day may be left out.
    return ParseDate(rest, t) && (rest.empty() || (Expect(rest, ' ') && ParseTime(rest, t)));
  });
}

TDateTime TCustomIniFile::ReadTime(const std::string& Section, const std::string& Ident, TDateTime Default) const {
  return ReadStamp(*this, Section, Ident, Default, ParseTime);
}

double TCustomIniFile::ReadFloat(const std::string& Section, const std::string& Ident, double Default) const {
  const std::string text = Trim(ReadString(Section, Ident, ""));
  if (text.empty()) return Default;
  double value = 0;
  const char* begin = text.data() + (text[0] == '+' ? 1 : 0);
  const auto r = std::from_chars(begin, text.data() + text.size(), value);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(value)) return Default;
  return value;
}

void TCustomIniFile::WriteDate(const std::string& Section, const std::string& Ident, TDateTime Value) {
  WriteString(Section, Ident, platform::FormatDate(platform::FromDateTime(Value)));
}

void TCustomIniFile::WriteDateTime(const std::string& Section, const std::string& Ident, TDateTime Value) {
  WriteString(Section, Ident, platform::FormatTimeStamp(platform::FromDateTime(Value)));
}

// '.' whatever the locale, as ReadFloat reads it.
void TCustomIniFile::WriteFloat(const std::string& Section, const std::string& Ident, double Value) {
  WriteString(Section, Ident, Format("%g", Value));
}

void TCustomIniFile::WriteTime(const std::string& Section, const std::string& Ident, TDateTime Value) {
  // The time part of the stamp "yyyy-mm-dd hh:nn:ss".
  WriteString(Section, Ident, platform::FormatTimeStamp(platform::FromDateTime(Value - std::floor(Value))).substr(11));
}

std::int64_t TCustomIniFile::ReadBinaryStream(const std::string& Section, const std::string& Name,
                                              TStream& Stream) const {
  const std::string text = ReadString(Section, Name, "");
  if (text.empty()) return 0;
  const std::int64_t count = std::int64_t(text.size() / 2);
  auto* memory = dynamic_cast<TMemoryStream*>(&Stream);
  TMemoryStream temporary;
  TMemoryStream& target = memory != nullptr ? *memory : temporary;
  const std::int64_t start = target.Position();
  target.SetSize(target.Size() + count);
  unsigned char* out = target.Memory() + start;
  for (std::int64_t i = 0; i < count; ++i) {
    int high = 0, low = 0;
    if (std::from_chars(&text[std::size_t(2 * i)], &text[std::size_t(2 * i)] + 1, high, 16).ec != std::errc() ||
        std::from_chars(&text[std::size_t(2 * i + 1)], &text[std::size_t(2 * i + 1)] + 1, low, 16).ec != std::errc()) {
      break;
    }
    out[i] = static_cast<unsigned char>(high << 4 | low);
  }
  if (memory != nullptr) return target.Size() - start;
  target.SetPosition(0);
  Stream.CopyFrom(target, count);
  return count;
}

void TCustomIniFile::WriteBinaryStream(const std::string& Section, const std::string& Name, TStream& Stream) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  unsigned char buffer[4096];
  for (std::int64_t got; (got = Stream.Read(buffer, sizeof buffer)) > 0;) {
    for (std::int64_t i = 0; i < got; ++i) {
      text += kDigits[buffer[i] >> 4];
      text += kDigits[buffer[i] & 15];
    }
  }
  WriteString(Section, Name, text);
}

TIniFile::~TIniFile() { UpdateFile(); }

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) const {
  return platform::ReadProfileString(fileName_, Section, Ident, Default);
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
  if (!platform::WriteProfileString(fileName_, Section, Ident, Value)) {
    throw EIniFileException(Format("Unable to write to %s", fileName_));
  }
}

void TIniFile::ReadSection(const std::string& Section, TStringList* Strings) const {
  Strings->Clear();
  for (auto& key : platform::ReadProfileSectionKeys(fileName_, Section)) Strings->Add(std::move(key));
}

void TIniFile::ReadSections(TStringList* Strings) const {
  Strings->Clear();
  for (auto& name : platform::ReadProfileSectionNames(fileName_)) Strings->Add(std::move(name));
}

void TIniFile::DoReadSectionValues(const std::string& Section, TStringList* Strings) const {
  Strings->Clear();
  for (const auto& key : platform::ReadProfileSectionKeys(fileName_, Section)) {
    Strings->Add(key + "=" + ReadString(Section, key, ""));
  }
}

void TIniFile::EraseSection(const std::string& Section) {
  if (!platform::EraseProfileSection(fileName_, Section)) {
    throw EIniFileException(Format("Unable to write to %s", fileName_));
  }
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
  platform::DeleteProfileKey(fileName_, Section, Ident);
}

void TIniFile::UpdateFile() {}

}  // namespace qmz
