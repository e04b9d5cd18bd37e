#pragma once
// General helpers: file versions, paths, fields of text lines, number texts of the game files,
// computer and user, the run-journal shortcuts and the sending end of the progress channel.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ProcessPriority.h"
#include "platform/SharedMemory.h"
#include "platform/WindowMessages.h"
#include "support/SysUtils.h"

namespace qmz {

class TJournal;

// ---- file versions -------------------------------------------------------------------------------

struct TVersionInfo {
  std::string FileName;
  std::string FileVersion;  // "Major.Minor.Release.Build"
  std::string ProductName;
  std::string CompanyName;
  std::string FileDescription;
  std::string Comments;
  std::string LegalCopyright;
  int Major = 0;
  int Minor = 0;
  int Release = 0;
  int Build = 0;
};

// Reads the version record of FileName: the version resource of a PE file (the fixed version numbers,
// and the string values of the first translation's table); our own executable carries the build's
// version, compiled in. False when the file has no version resource; fields not found stay as they were.
// An empty name leaves Info untouched; otherwise Info.FileName is set even when the result is false.
bool GetFileVersionRecord(const std::string& FileName, TVersionInfo& Info);

// Template with every "%M", "%N", "%R", "%B" replaced by Major, Minor, Release, Build (0 for a file
// without a version record).
std::string FormatVersion(const std::string& FileName, std::string_view Template);

// ---- paths ---------------------------------------------------------------------------------------

// Adds a trailing separator and resolves every "..\" step. '\' and '/' both separate folders (game
// paths come in Windows form, the folders they sit in in Linux form). A step never climbs above the
// root of a drive ("C:\", "/", "\\server\share\"); a relative path loses its leading steps.
std::string ExpandRelativePath(std::string_view Path);

// ---- fields of text lines ------------------------------------------------------------------------

// The text between StartMark and the following EndMark, trimmed. "*" as StartMark is the start of
// the text, as EndMark its end. A missing StartMark gives an empty text; a missing EndMark gives
// everything after the start mark.
std::string ExtractBetween(std::string_view Text, std::string_view StartMark, std::string_view EndMark,
                           bool IncludeMarks);

// As ExtractBetween; with Cut it also removes from Text what follows the start mark up to and
// including the end mark (the rest when there is no end mark). The cut is made at the positions
// found, so a repeated field elsewhere in the line is never touched.
std::string ExtractBetweenCut(std::string& Text, std::string_view StartMark, std::string_view EndMark,
                              bool IncludeMarks, bool Cut);

// 1-based position of SubText in Text ignoring letter case; 0 when absent or SubText is empty.
int PosText(std::string_view SubText, std::string_view Text);

bool SameTrimmedText(std::string_view A, std::string_view B);

// Width characters: Fill at positions 0..Filled, blanks after.
std::string MakeBarText(char Fill, int Filled, int Width);

// ---- number texts of the game files (always '.' as decimal mark, whatever the locale) -------------

std::string DotToComma(std::string_view Text);

// Trimmed text reduced to an optional leading '-', digits and one '.' (the first '.' or ','; later
// ones are dropped, as is everything else). An empty text gives "0".
std::string NormalizeNumberText(std::string_view Text);

// Not empty, and every character from the set the number edits accept: digits, '+', ',', '-', '.',
// backspace, 'm', 'n' and the characters U+00BC to U+00BE (188 to 190 of the game's code page).
bool IsNumberText(std::string_view Text);

// Number with the given decimal mark; only the part before a second mark counts. 0 when the text is
// empty or no number.
float TextToSingle(std::string_view Text, char Separator);
// As TextToSingle, but none where TextToSingle gives 0 for want of a number (empty, no number, beyond
// the range of a float), so a caller can tell a written 0 from a broken field.
std::optional<float> TryTextToSingle(std::string_view Text, char Separator);
// The same reading with double precision, for numbers that must stay apart beyond a float's digits.
std::optional<double> TryTextToDouble(std::string_view Text, char Separator);

// Number of the normalised text; none when the text holds no number at all. A normalised text that
// still does not convert (such as a lone "-") gives 0.
std::optional<long double> TextToExtended(std::string_view Text);

// ---- computer and user ---------------------------------------------------------------------------

// The host name, replaced by the computer name of the Wine registry when that value is present.
std::string GetLocalComputerName();
std::string GetCurrentUserName();
bool IsAdmin();

// ---- run journal shortcuts: nothing happens for a null journal ------------------------------------

void Log(std::string_view Text, std::uint8_t Level, TJournal* Journal);
// The format is not even looked at when there is no journal.
void LogFmt(std::string_view FormatText, std::initializer_list<FormatArg> Args, std::uint8_t Level, TJournal* Journal);

// Writes Text unless a line of the same Key went to this journal before: once a run.
void LogOnce(std::string_view Key, std::string_view Text, std::uint8_t Level, TJournal* Journal);

// ---- process priority ----------------------------------------------------------------------------

// Sets the priority class of the whole process (every thread). Idle is left out where the process could not
// come back to normal afterwards; the journal says so once a run (level 5), whichever caller meets it first
// (loading, the calculation, the route display, the Controls switch). Other outcomes are the caller's.
platform::PriorityResult SetPriorityClass(platform::PriorityClass Value, TJournal* Journal);

// ---- progress channel ----------------------------------------------------------------------------

inline constexpr const char* kStatusMappingName = "QMZ_IPC_MMF";
inline constexpr std::size_t kStatusMappingSize = 2000;
inline constexpr std::uint32_t WM_STATUSMESSAGE = platform::WM_USER + 1000;  // 2024

// The numbers and flags of one progress message as the receiver sees them.
struct TStatusMessage {
  int Min = 0;
  int Max = 0;
  int Position = 0;
  bool AddToStartupLog = false;
  bool ReplaceStartupLine = false;
  bool EchoToJournal = false;
};

struct TStatusParams {
  platform::WParam WParam = 0;  // low word minimum, high word maximum
  platform::LParam LParam = 0;  // low word position, high word flags (1 add, 2 replace, 4 echo)
};

// Packs the message parameters. The numbers travel as unsigned 16-bit values: anything outside
// 0..65535 is clamped to that range, never wrapped.
TStatusParams PackStatusMessage(const TStatusMessage& Message);
TStatusMessage UnpackStatusMessage(platform::WParam WParam, platform::LParam LParam);

// Writes Text (up to its first zero, at most 1,999 bytes, cut at a character boundary) and a zero
// into the shared block, then sends WM_STATUSMESSAGE to Window and returns once it is handled.
// Nothing happens when Window or Mapping is 0 or the block cannot be mapped.
void SendStatusMessage(std::string_view Text, int Min, int Max, int Position, platform::WindowHandle Window,
                       platform::SharedMemoryHandle Mapping, bool AddToStartupLog, bool ReplaceStartupLine,
                       bool EchoToJournal);

// The receiving end's read of the block: the text up to the first zero byte (the whole block when
// there is none); empty when the block cannot be mapped.
std::string ReadStatusText(platform::SharedMemoryHandle Mapping);

}  // namespace qmz
