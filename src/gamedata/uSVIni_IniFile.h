#pragma once
// The general INI classes: the abstract base with its typed reads and writes, and the INI file over the
// profile-file functions (the settings file QMZ.ini goes through it).
#include <stdexcept>
#include <string>

#include "support/Classes.h"

namespace qmz {

// Days since 30 December 1899, the time of day as the fraction.
using TDateTime = double;

class EIniFileException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TCustomIniFile : public TObject {
 public:
  const std::string& FileName() const { return fileName_; }

  virtual std::string ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) const = 0;
  virtual void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) = 0;

  // "0x1F" (more than two characters, 0x or 0X first) is hexadecimal, "$1F" too, anything else decimal;
  // Default when the text is no number.
  virtual int ReadInteger(const std::string& Section, const std::string& Ident, int Default) const;
  virtual void WriteInteger(const std::string& Section, const std::string& Ident, int Value);
  virtual bool ReadBool(const std::string& Section, const std::string& Ident, bool Default) const;
  virtual void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
  // Dates "yyyy-mm-dd", times "hh:nn:ss", both joined by a blank, numbers with '.': the same text on
  // every machine. Default when the text is empty or not of that form.
  virtual TDateTime ReadDate(const std::string& Section, const std::string& Ident, TDateTime Default) const;
  virtual TDateTime ReadDateTime(const std::string& Section, const std::string& Ident, TDateTime Default) const;
  virtual double ReadFloat(const std::string& Section, const std::string& Ident, double Default) const;
  virtual TDateTime ReadTime(const std::string& Section, const std::string& Ident, TDateTime Default) const;
  virtual void WriteDate(const std::string& Section, const std::string& Ident, TDateTime Value);
  virtual void WriteDateTime(const std::string& Section, const std::string& Ident, TDateTime Value);
  virtual void WriteFloat(const std::string& Section, const std::string& Ident, double Value);
  virtual void WriteTime(const std::string& Section, const std::string& Ident, TDateTime Value);

  // The bytes as hexadecimal text, two digits a byte, written into Stream at its position. A memory stream
  // grows by that many bytes and keeps its position; the result is then its size minus that position.
  // Any other stream receives the bytes and the result is their number. 0 for an empty text; decoding
  // stops at the first pair that is not hexadecimal (the rest of the bytes stay zero).
  virtual std::int64_t ReadBinaryStream(const std::string& Section, const std::string& Name, TStream& Stream) const;
  // The bytes of Stream from its position to its end as hexadecimal text (upper case).
  virtual void WriteBinaryStream(const std::string& Section, const std::string& Name, TStream& Stream);

  virtual void ReadSection(const std::string& Section, TStringList* Strings) const = 0;
  virtual void ReadSections(TStringList* Strings) const = 0;
  // The section's lines as the class gives them (DoReadSectionValues). A class may offer another form under
  // this name to its own callers, as the game INI class does; through the base its own form answers.
  void ReadSectionValues(const std::string& Section, TStringList* Strings) const {
    DoReadSectionValues(Section, Strings);
  }
  virtual void EraseSection(const std::string& Section) = 0;
  virtual void DeleteKey(const std::string& Section, const std::string& Ident) = 0;
  virtual void UpdateFile() = 0;

 protected:
  explicit TCustomIniFile(std::string FileName) : fileName_(std::move(FileName)) {}
  virtual void DoReadSectionValues(const std::string& Section, TStringList* Strings) const = 0;

  std::string fileName_;
};

// An INI file read and written through the profile-file functions: every write goes to the file at once.
class TIniFile : public TCustomIniFile {
 public:
  explicit TIniFile(std::string FileName) : TCustomIniFile(std::move(FileName)) {}
  ~TIniFile() override;

  // Values longer than 2,047 characters come back cut.
  std::string ReadString(const std::string& Section, const std::string& Ident,
                         const std::string& Default) const override;
  // Raises EIniFileException "Unable to write to <file>" when the file cannot be written.
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override;
  void ReadSection(const std::string& Section, TStringList* Strings) const override;
  void ReadSections(TStringList* Strings) const override;
  // Raises EIniFileException like WriteString.
  void EraseSection(const std::string& Section) override;
  // Reports nothing.
  void DeleteKey(const std::string& Section, const std::string& Ident) override;
  // Every write is already in the file, so there is nothing to flush.
  void UpdateFile() override;

 protected:
  // Every key of the section, "=" and its value.
  void DoReadSectionValues(const std::string& Section, TStringList* Strings) const override;
};

}  // namespace qmz
