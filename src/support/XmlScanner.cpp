#include "support/XmlScanner.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/FileSystemInfo.h"
#include "platform/GamePath.h"
#include "platform/Utf16.h"
#include "platform/WholeFile.h"
#include "support/SysUtils.h"
#include "support/XmlScanner_Text.h"

namespace qmz {

const char* const CPartType_Name[10] = {
    "", "XML Prolog", "Comment", "PI", "DTD Declaration", "Start Tag", "Empty Tag", "End Tag", "Text", "CDATA",
};
const char* const CValueType_Name[4] = {"Normal", "Implied", "Fixed", "Default"};
const char* const CElemType_Name[4] = {"Empty", "Any", "Childs only", "Mixed"};
const char* const CAttrType_Name[11] = {
    "Unknown", "CDATA", "ID", "IDREF", "IDREFS", "ENTITY", "ENTITIES", "NMTOKEN", "NMTOKENS", "Notation", "Enumeration",
};
const char* const CDefaultType_Name[4] = {"Default", "Required", "Implied", "Fixed"};

using namespace xml;

namespace {

// The encoding a document's XML declaration names, upper-cased; empty when there is no declaration.
// hasDecl tells a declaration without "encoding" (which means UTF-8) from no declaration at all.
std::string DeclaredEncoding(std::string_view t, bool& hasDecl) {
  hasDecl = StartsAt(t, 0, "<?xml") && t.size() > 5 && IsWs(t[5]);
  if (!hasDecl) return {};
  size_t end = t.find("?>");
  std::string_view decl = t.substr(0, end == std::string_view::npos ? t.size() : end);
  // Only the one pseudo-attribute is needed here; the scan reads the declaration in full later.
  size_t p = 6;
  while (p < decl.size()) {
    p = SkipWs(decl, p);
    size_t ne = NameEnd(decl, p, "=?");
    std::string_view name = decl.substr(p, ne - p);
    p = SkipWs(decl, ne);
    if (p >= decl.size() || decl[p] != '=') break;
    p = SkipWs(decl, p + 1);
    if (p >= decl.size() || (decl[p] != '"' && decl[p] != '\'')) break;
    size_t ve = decl.find(decl[p], p + 1);
    if (ve == std::string_view::npos) ve = decl.size();
    if (name == "encoding") return UpperCase(std::string(decl.substr(p + 1, ve - p - 1)));
    p = ve + 1;
  }
  return {};
}

bool IsWesternEightBit(const std::string& enc) {
  static const char* const names[] = {
      "WINDOWS-1252", "CP1252",      "ISO-8859-1", "ISO8859-1", "ISO_8859-1", "LATIN1", "LATIN-1",
      "L1",           "ISO-8859-15", "ISO8859-15", "LATIN9",    "US-ASCII",   "ASCII",
  };
  return std::any_of(std::begin(names), std::end(names), [&](const char* n) { return enc == n; });
}

// The whole document as UTF-8, decoded once when it is loaded.
std::string DecodeDocument(std::string bytes) {
  if (StartsAt(bytes, 0, "\xEF\xBB\xBF")) bytes.erase(0, 3);
  bool hasDecl = false;
  std::string enc = DeclaredEncoding(bytes, hasDecl);
  if (IsWesternEightBit(enc)) return Cp1252ToUtf8(bytes);
  if (enc == "UTF-8" || enc == "UTF8" || (hasDecl && enc.empty())) return XmlValidUtf8(bytes);
  // No declaration, or an encoding we have no table for: like every other game text, valid UTF-8
  // is kept and anything else is read as Windows-1252.
  return GameTextToUtf8(bytes);
}

// A relative system identifier below the document's folder, or nothing.
std::filesystem::path ExternalPath(const std::string& source, const std::string& systemId) {
  namespace fs = std::filesystem;
  if (source.empty() || source[0] == '<' || systemId.empty()) return {};
  std::string rel = systemId;
  std::replace(rel.begin(), rel.end(), '\\', '/');
  // Absolute paths, drive letters and URLs ("http:", "file:") leave the document's folder.
  if (rel[0] == '/' || rel.find(':') != std::string::npos) return {};
  size_t p = 0;
  while (p <= rel.size()) {
    size_t q = rel.find('/', p);
    if (q == std::string::npos) q = rel.size();
    if (rel.compare(p, q - p, "..") == 0 && q - p == 2) return {};
    p = q + 1;
  }
  fs::path folder = fs::path(source).parent_path();
  if (folder.empty()) folder = ".";
  // Names in any letter case, as the mod's author saw them on Windows; a missing file stays missing.
  std::optional<fs::path> found = platform::ResolveGamePath(rel, folder);
  std::error_code ec1, ec2;
  fs::path base = fs::weakly_canonical(folder, ec1);
  fs::path target = fs::weakly_canonical(found ? *found : folder / rel, ec2);
  // A link inside the folder may still point outside it.
  if (ec1 || ec2 || platform::PathDepthWithin(base, target) < 0) return {};
  return target;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Loading

TXmlParser::TXmlParser() { Clear(); }

TXmlParser::~TXmlParser() = default;

void TXmlParser::Clear() {
  UnreadFiles.clear();
  fDoc.reset();
  fText.reset();
  fPos = 0;
  fDtdRead = false;
  fDtdStart = 0;
  fEnded = false;
  fBudget = MaxExpansion;
  fDefaultBudget = MaxDefaultWork;
  Source.clear();
  XmlVersion.clear();
  Encoding.clear();
  Standalone = false;
  RootName.clear();
  DtdcFinal = 0;
  Normalize = true;
  // Unlike the scan position, the encoding of a previous document must not outlive it.
  CurEncoding.clear();
  Elements.Clear();
  fDeclaredElements.clear();
  Entities.Clear();
  ParEntities.Clear();
  Notations.Clear();
  CurAttr.Clear();
  EntityStack.Clear();
  CurPartType = ptNone;
  CurName.clear();
  CurContent.clear();
  CurStart = CurFinal = 0;
}

bool TXmlParser::LoadFromFile(const std::string& FileName, int /*FileMode*/) {
  Clear();
  std::string bytes;
  if (!platform::ReadWholeFile(FileName, bytes, MaxDocumentSize)) return false;
  LoadDecoded(std::move(bytes));
  Source = FileName;
  return true;
}

bool TXmlParser::LoadFromBuffer(std::string_view Buffer) {
  Clear();
  if (Buffer.size() > MaxDocumentSize) return false;
  LoadDecoded(std::string(Buffer));
  Source = "<buffer>";
  return true;
}

bool TXmlParser::LoadDecoded(std::string bytes) {
  // The document ends at its first zero byte, as a zero-terminated text does: what follows one is
  // not text, and a zero byte must not reach names and values.
  if (size_t nul = bytes.find('\0'); nul != std::string::npos) bytes.resize(nul);
  fDoc = std::make_shared<const std::string>(DecodeDocument(std::move(bytes)));
  StartScan();
  return true;
}

std::string_view TXmlParser::DocBuffer() const { return fDoc ? std::string_view(*fDoc) : std::string_view(); }

TEntityDef* TXmlParser::EntityDef(const std::string& name) const {
  return dynamic_cast<TEntityDef*>(Entities.Node(name));
}

TEntityDef* TXmlParser::ParEntityDef(const std::string& name) const {
  return dynamic_cast<TEntityDef*>(ParEntities.Node(name));
}

std::unique_ptr<TXmlParser> TXmlParser::LoadExternalEntity(const std::string& SystemId, const std::string& /*PublicId*/,
                                                           const std::string& /*Notation*/) {
  std::filesystem::path path = ExternalPath(Source, SystemId);
  if (path.empty()) return nullptr;
  auto parser = std::make_unique<TXmlParser>();
  std::string bytes, reason;
  if (platform::ReadWholeFile(path.string(), bytes, MaxDocumentSize, &reason)) {
    parser->LoadDecoded(std::move(bytes));
    parser->Source = path.string();
  } else if (std::error_code ec; std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
    UnreadFiles.emplace_back(path.string(), reason);
  }
  return parser;
}

std::string TXmlParser::TranslateEncoding(const std::string& Source) { return XmlValidUtf8(Source); }

void TXmlParser::DtdElementFound(const TDtdElementRec& /*DtdElementRec*/) {}

bool TXmlParser::TakeBudget(size_t bytes) {
  if (bytes > fBudget) {
    fBudget = 0;
    return false;
  }
  fBudget -= bytes;
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Scanning

void TXmlParser::StartScan() {
  CurPartType = ptNone;
  CurName.clear();
  CurContent.clear();
  CurStart = CurFinal = 0;
  CurAttr.Clear();
  EntityStack.Clear();
  fText = fDoc;
  fPos = 0;
  fEnded = false;
  fBudget = MaxExpansion;
  fDefaultBudget = MaxDefaultWork;
}

bool TXmlParser::OpenEntity(const TEntityDef& def, bool recursive, int depth, bool parameter, TTextFrame& frame) {
  // A recursive reference, or one beyond the depth or size bounds, stays as written.
  if (recursive || depth >= MaxEntityDepth) return false;
  frame.Name = def.Name;
  frame.Pos = 0;
  if (!def.IsExternal() || parameter) {
    if (!TakeBudget(def.Value.size() + 16)) return false;
    frame.Text = std::make_shared<const std::string>(def.Value);
    return true;
  }
  if (!TakeBudget(ExternalLoadCost)) return false;
  frame.Instance = LoadExternalEntity(def.SystemId, def.PublicId, def.NotationName);
  if (!frame.Instance) return false;
  frame.Text = frame.Instance->fDoc ? frame.Instance->fDoc : std::make_shared<const std::string>();
  return TakeBudget(frame.Text->size());
}

bool TXmlParser::PushEntity(const TEntityDef& def, size_t resumePos) {
  TTextFrame frame;
  if (!OpenEntity(def, EntityStack.Contains(def.Name), EntityStack.Count(), false, frame)) return false;
  TEntityStackNode node;
  node.Instance = std::move(frame.Instance);
  node.Encoding = CurEncoding;
  node.LastText = fText;
  node.LastPos = resumePos;
  node.EntityName = def.Name;
  EntityStack.Push(std::move(node));
  fText = std::move(frame.Text);
  fPos = 0;
  return true;
}

bool TXmlParser::Scan() {
  for (;;) {
    CurName.clear();
    CurContent.clear();
    CurAttr.Clear();
    if (fText) {
      while (fPos >= fText->size() && EntityStack.Count() > 0) {
        TEntityStackNode node = EntityStack.Pop();
        fText = node.LastText;
        fPos = node.LastPos;
        CurEncoding = node.Encoding;
      }
    }
    if (!fText || fEnded || fPos >= fText->size()) {
      fEnded = true;
      CurPartType = ptNone;
      CurStart = CurFinal = fText ? fText->size() : 0;
      EntityStack.Clear();
      return false;
    }
    const std::string& t = *fText;
    CurStart = fPos;
    if (StartsAt(t, fPos, "<?xml") && fPos + 5 < t.size() && IsWs(t[fPos + 5])) {
      AnalyzeProlog();
    } else if (StartsAt(t, fPos, "<?")) {
      AnalyzePI();
    } else if (StartsAt(t, fPos, "<!--")) {
      AnalyzeComment();
    } else if (StartsAt(t, fPos, "<!DOCTYPE")) {
      AnalyzeDtdc();
    } else if (StartsAt(t, fPos, "<![CDATA[")) {
      AnalyzeCData();
    } else if (t[fPos] == '<') {
      AnalyzeTag();
    } else if (!AnalyzeText()) {
      continue;
    }
    return true;
  }
}

// Moves past a terminator found from `from` (or to the end of the text) and records the part's end.
static void EndPartAt(const std::string& t, size_t from, std::string_view terminator, size_t& curFinal, size_t& pos) {
  size_t q = t.find(terminator, std::min(from, t.size()));
  if (q == std::string::npos) {
    curFinal = t.empty() ? 0 : t.size() - 1;
    pos = t.size();
  } else {
    curFinal = q + terminator.size() - 1;
    pos = q + terminator.size();
  }
}

void TXmlParser::AnalyzeProlog() {
  const std::string& t = *fText;
  size_t stop = ReadAttributes(t, fPos + 5, CurAttr);
  if (fText == fDoc) {
    XmlVersion = CurAttr.Value("version");
    Encoding = CurAttr.Value("encoding");
    Standalone = CurAttr.Value("standalone") == "yes";
  }
  std::string enc = CurAttr.Value("encoding");
  CurEncoding = enc.empty() ? std::string("UTF-8") : UpperCase(enc);
  EndPartAt(t, stop, "?>", CurFinal, fPos);
  CurPartType = ptXmlProlog;
}

void TXmlParser::AnalyzeComment() {
  EndPartAt(*fText, fPos + 4, "-->", CurFinal, fPos);
  CurPartType = ptComment;
}

void TXmlParser::AnalyzePI() {
  const std::string& t = *fText;
  size_t nameStart = fPos + 2;
  size_t nameEnd = NameEnd(t, nameStart, "?");
  CurName = t.substr(nameStart, nameEnd - nameStart);
  size_t q = t.find("?>", nameEnd);
  CurContent = t.substr(nameEnd, (q == std::string::npos ? t.size() : q) - nameEnd);
  ReadAttributes(CurContent, 0, CurAttr);
  EndPartAt(t, nameEnd, "?>", CurFinal, fPos);
  CurPartType = ptPI;
}

void TXmlParser::AnalyzeCData() {
  const std::string& t = *fText;
  size_t start = fPos + 9;
  size_t q = t.find("]]>", start);
  CurContent = TranslateEncoding(t.substr(start, (q == std::string::npos ? t.size() : q) - start));
  EndPartAt(t, start, "]]>", CurFinal, fPos);
  CurPartType = ptCData;
}

size_t TXmlParser::ReadAttributes(const std::string& t, size_t p, TAttrList& list) const {
  list.Clear();
  std::vector<std::unique_ptr<TNvpNode>> attrs;
  for (;;) {
    p = SkipWs(t, p);
    if (p >= t.size() || !IsNameStart(t, p)) {
      list.AddMany(std::move(attrs));
      return p;
    }
    size_t ne = NameEnd(t, p, "/=");
    std::string name = t.substr(p, ne - p);
    size_t q = SkipWs(t, ne);
    p = q;
    if (q >= t.size() || t[q] != '=') continue;  // a name without a value is dropped
    q = SkipWs(t, q + 1);
    if (q >= t.size() || (t[q] != '"' && t[q] != '\'')) {
      p = q;
      continue;
    }
    size_t ve = t.find(t[q], q + 1);
    if (ve == std::string::npos) ve = t.size();
    attrs.push_back(std::make_unique<TAttr>(std::move(name), t.substr(q + 1, ve - q - 1)));
    p = ve + 1;
  }
}

void TXmlParser::AnalyzeTag() {
  const std::string& t = *fText;
  size_t p = fPos + 1;
  bool endTag = p < t.size() && t[p] == '/';
  if (endTag) ++p;
  size_t ne = NameEnd(t, p, "/");
  CurName = t.substr(p, ne - p);
  size_t stop = ReadAttributes(t, ne, CurAttr);
  if (endTag) CurPartType = ptEndTag;
  else if (stop < t.size() && t[stop] == '/') CurPartType = ptEmptyTag;
  else CurPartType = ptStartTag;
  EndPartAt(t, stop, ">", CurFinal, fPos);
  if (endTag) return;

  if (TElemDef* def = Elements.Node(CurName)) ApplyDefaults(*def);
  for (int i = 0; i < CurAttr.Count(); ++i) {
    TAttr* a = CurAttr.Attr(i);
    std::string v = ExpandAttrValue(a->Value);
    if (a->AttrType == atUnknown || a->AttrType == atCData) std::replace_if(v.begin(), v.end(), IsWs, ' ');
    else v = CollapseWs(v);
    a->Value = TranslateEncoding(v);
  }
}

std::string TXmlParser::ExpandAttrValue(const std::string& value) {
  TTextFrames frames(std::make_shared<const std::string>(value));
  std::string out;
  for (;;) {
    TTextFrame& f = frames.Current();
    std::shared_ptr<const std::string> keep = f.Text;
    const std::string& t = *keep;
    if (f.Pos >= t.size()) break;
    size_t amp = t.find('&', f.Pos);
    if (amp == std::string::npos) amp = t.size();
    out.append(t, f.Pos, amp - f.Pos);
    f.Pos = amp;
    if (amp >= t.size()) continue;
    TRef r = ScanRef(t, amp, '&');
    if (r.Kind == TRef::None) {
      out += '&';
      f.Pos = amp + 1;
      continue;
    }
    f.Pos = r.End;
    if (r.Kind == TRef::Char) {
      AppendCharRef(out, r.Name);
      continue;
    }
    if (const char* pre = PredefinedEntity(r.Name)) {
      out += pre;
      continue;
    }
    TEntityDef* def = EntityDef(std::string(r.Name));
    TTextFrame inner;
    bool recursive = def && (frames.Contains(def->Name) || EntityStack.Contains(def->Name));
    if (def && OpenEntity(*def, recursive, frames.Depth() + EntityStack.Count(), false, inner)) {
      frames.Push(std::move(inner));
    } else {
      // Undeclared, recursive, refused or over the bounds: the reference stays as written.
      out.append(t, amp, r.End - amp);
    }
  }
  return out;
}

bool TXmlParser::AnalyzeText() {
  for (;;) {
    while (fPos >= fText->size() && EntityStack.Count() > 0) {
      // The text of an entity ended: go on after its reference.
      TEntityStackNode node = EntityStack.Pop();
      fText = node.LastText;
      fPos = node.LastPos;
      CurEncoding = node.Encoding;
    }
    std::shared_ptr<const std::string> keep = fText;
    const std::string& t = *keep;
    if (fPos >= t.size()) break;
    size_t q = t.find_first_of("<&", fPos);
    if (q == std::string::npos) q = t.size();
    if (q > fPos) CurContent += TranslateEncoding(t.substr(fPos, q - fPos));
    fPos = q;
    CurFinal = q > 0 ? q - 1 : 0;
    if (q >= t.size()) continue;
    if (t[q] == '<') break;
    TRef r = ScanRef(t, q, '&');
    if (r.Kind == TRef::None) {
      fPos = q + 1;  // a lone '&' is dropped
      continue;
    }
    fPos = r.End;
    CurFinal = r.End - 1;
    if (r.Kind == TRef::Char) {
      AppendCharRef(CurContent, r.Name);
    } else if (const char* pre = PredefinedEntity(r.Name)) {
      CurContent += pre;
    } else if (TEntityDef* def = EntityDef(std::string(r.Name))) {
      if (!PushEntity(*def, r.End)) CurContent.append(t, q, r.End - q);
    } else {
      CurContent.append(r.Name);  // an undeclared entity gives its bare name
    }
  }
  CurPartType = ptContent;
  if (Normalize) {
    CurContent = CollapseWs(CurContent);
    if (CurContent.empty()) return false;
  }
  return true;
}

}  // namespace qmz
