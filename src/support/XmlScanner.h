#pragma once
// A small non-validating XML scanner: loads a whole document and hands it out part by part, with the
// document type declaration read into definition lists that supply entities and attribute defaults.
//
// Text inside is UTF-8: a document declared in an 8-bit encoding is converted once when it is loaded.
// Documents are untrusted (mods' script.xml): entity expansion is bounded in depth and size, recursive
// entities stay unexpanded, and external files are read only from the document's own folder and below.
#include <cstddef>
#include <memory>
#include <string>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

namespace qmz {

class TXmlParser;
namespace xml {
struct TTextFrame;
class TTextFrames;
}  // namespace xml

enum TXmlPartType {
  ptNone = 0,       // before the first part, after the end
  ptXmlProlog = 1,  // <?xml ... ?>
  ptComment = 2,
  ptPI = 3,
  ptDtdc = 4,  // <!DOCTYPE ...>
  ptStartTag = 5,
  ptEmptyTag = 6,
  ptEndTag = 7,
  ptContent = 8,
  ptCData = 9,
};
extern const char* const CPartType_Name[10];

// Where an attribute's value came from.
enum TValueType { vtNormal = 0, vtImplied = 1, vtFixed = 2, vtDefault = 3 };
extern const char* const CValueType_Name[4];

enum TElemType { etEmpty = 0, etAny = 1, etChildsOnly = 2, etMixed = 3 };
extern const char* const CElemType_Name[4];

enum TAttrType {
  atUnknown = 0,
  atCData = 1,
  atID = 2,
  atIdRef = 3,
  atIdRefs = 4,
  atEntity = 5,
  atEntities = 6,
  atNmToken = 7,
  atNmTokens = 8,
  atNotation = 9,
  atEnumeration = 10,
};
extern const char* const CAttrType_Name[11];

enum TDefaultType { dtDefault = 0, dtRequired = 1, dtImplied = 2, dtFixed = 3 };
extern const char* const CDefaultType_Name[4];

// Kinds of the items of a document type declaration handed to DtdElementFound.
enum TDtdElemType {
  deElement = 0,
  deAttList = 1,
  deEntity = 2,
  deNotation = 3,
  dePI = 4,
  deComment = 5,
  deError = 6,
};

// ---------------------------------------------------------------------------------------------------
// Name-value lists

class TNvpNode {
 public:
  TNvpNode() = default;
  TNvpNode(std::string name, std::string value) : Name(std::move(name)), Value(std::move(value)) {}
  virtual ~TNvpNode() = default;
  std::string Name;
  std::string Value;
};

// Owns its nodes and keeps them sorted by Name, byte-wise and case-sensitive (capitals first). A node
// is inserted in front of nodes of the same name.
class TNvpList {
 public:
  TNvpList() = default;
  TNvpList(const TNvpList&) = delete;
  TNvpList& operator=(const TNvpList&) = delete;
  virtual ~TNvpList() = default;

  void Add(std::unique_ptr<TNvpNode> node);
  // Adds nodes as Add would one after the other, sorting once: a tag's attributes cost n log n, not n².
  void AddMany(std::vector<std::unique_ptr<TNvpNode>> nodes);
  // Replaces every node of that name with the given one.
  void Replace(std::unique_ptr<TNvpNode> node);
  void Clear() { fItems.clear(); }
  int Count() const { return static_cast<int>(fItems.size()); }

  TNvpNode* Node(const std::string& name) const;  // nil when absent
  TNvpNode* Node(int index) const;                // nil when out of range
  int IndexOf(const std::string& name) const;     // -1 when absent
  std::string Value(const std::string& name) const;
  std::string Name(int index) const;   // empty when out of range
  std::string Value(int index) const;  // empty when out of range

 private:
  size_t LowerBound(const std::string& name) const;
  std::vector<std::unique_ptr<TNvpNode>> fItems;
};

class TAttr : public TNvpNode {
 public:
  using TNvpNode::TNvpNode;
  TValueType ValueType = vtNormal;
  TAttrType AttrType = atUnknown;  // from the DTD; Unknown when undeclared
};

class TAttrList : public TNvpList {
 public:
  TAttr* Attr(int index) const { return dynamic_cast<TAttr*>(Node(index)); }
  TAttr* Attr(const std::string& name) const { return dynamic_cast<TAttr*>(Node(name)); }
};

// ---------------------------------------------------------------------------------------------------
// Definitions of the document type declaration

class TEntityDef : public TNvpNode {
 public:
  // Value is the replacement text of an internal entity.
  std::string SystemId;
  std::string PublicId;
  std::string NotationName;
  bool IsExternal() const { return !SystemId.empty() || !PublicId.empty(); }
};

class TNotationDef : public TNvpNode {
 public:
  // Value is the system identifier.
  std::string PublicId;
};

class TAttrDef : public TNvpNode {
 public:
  // Value is the default or fixed value with references replaced, as the DTD gives it.
  std::string TypeDef;    // type keyword as written, or the enumeration list
  std::string Notations;  // notation names of a NOTATION type
  TAttrType AttrType = atUnknown;
  TDefaultType DefaultType = dtDefault;
  // The quoted default with only parameter references replaced: a tag gets this expanded once, so
  // "&#38;#65;" in a default does not turn into "A" by decoding twice.
  std::string Literal;
};

// An element definition; the list it derives from holds its TAttrDef items.
class TElemDef : public TNvpList {
 public:
  std::string Name;  // hides TNvpList::Name(int); use AttrDef(i)->Name for the attributes
  TElemType ElemType = etAny;
  std::string Definition;  // content model, white space removed
  TAttrDef* AttrDef(int index) const { return dynamic_cast<TAttrDef*>(Node(index)); }
  TAttrDef* AttrDef(const std::string& name) const { return dynamic_cast<TAttrDef*>(Node(name)); }
};

// Element definitions sorted by name (byte-wise), looked up by binary search.
class TElemList {
 public:
  int Count() const { return static_cast<int>(fItems.size()); }
  TElemDef* Node(const std::string& name) const;  // nil when absent
  TElemDef* Node(int index) const;                // nil when out of range
  TElemDef* Add(std::unique_ptr<TElemDef> def);   // replaces a definition of the same name
  void Clear() { fItems.clear(); }

 private:
  std::vector<std::unique_ptr<TElemDef>> fItems;
};

// "SYSTEM" literal, or "PUBLIC" literal literal, read from a position of a text.
class TExternalID {
 public:
  TExternalID(std::string_view text, size_t pos);
  std::string PublicId;
  std::string SystemId;
  size_t Final = 0;  // last character read
};

// One item of a document type declaration, handed to DtdElementFound after it was stored.
struct TDtdElementRec {
  TDtdElemType ElementType = deError;
  std::string_view Text;                // the item's characters, first to last
  TElemDef* ElemDef = nullptr;          // deElement, deAttList
  TEntityDef* EntityDef = nullptr;      // deEntity
  TNotationDef* NotationDef = nullptr;  // deNotation
  std::string Target;                   // dePI
  std::string Content;                  // dePI
  const TAttrList* AttrList = nullptr;  // dePI
};

// Where to go on when the text of an entity ends.
struct TEntityStackNode {
  std::unique_ptr<TXmlParser> Instance;  // holds an external entity's text, or nil
  std::string Encoding;                  // CurEncoding to restore
  std::shared_ptr<const std::string> LastText;
  size_t LastPos = 0;      // position in LastText to continue at
  std::string EntityName;  // for finding recursive references
};

class TEntityStack {
 public:
  int Count() const { return static_cast<int>(fItems.size()); }
  void Clear() { fItems.clear(); }
  void Push(TEntityStackNode node) { fItems.push_back(std::move(node)); }
  TEntityStackNode Pop();
  bool Contains(const std::string& entityName) const;
  const TEntityStackNode& operator[](int index) const { return fItems[static_cast<size_t>(index)]; }

 private:
  std::vector<TEntityStackNode> fItems;
};

// ---------------------------------------------------------------------------------------------------

class TXmlParser {
 public:
  // Bounds for untrusted documents.
  static constexpr size_t MaxDocumentSize = 64u << 20;  // larger files are not loaded
  static constexpr int MaxEntityDepth = 16;             // nested entity texts at one time
  static constexpr size_t MaxExpansion = 8u << 20;      // entity text entered per scan (bytes)
  static constexpr size_t ExternalLoadCost = 4096;      // charged per external file opened
  static constexpr int MaxDefinitions = 10000;          // per DTD list, and attributes per element
  // Attribute defaults applied per scan: 16 per definition looked at plus the default's length. A DTD
  // with thousands of defaults on an element used by every tag would otherwise grow the work with
  // tags x definitions; past the bound, tags keep only the attributes they are written with.
  static constexpr size_t MaxDefaultWork = 8u << 20;

  TXmlParser();
  TXmlParser(const TXmlParser&) = delete;
  TXmlParser& operator=(const TXmlParser&) = delete;
  virtual ~TXmlParser();

  void Clear();
  // FileMode is the share mode of the original platform (64 = deny none); files are only ever read.
  bool LoadFromFile(const std::string& FileName, int FileMode = 64);
  // A document held in memory; external entities of such a document are refused (it has no folder).
  bool LoadFromBuffer(std::string_view Buffer);

  void StartScan();
  bool Scan();

  // The loaded document (UTF-8) and its size + 1; empty while nothing is loaded.
  std::string_view DocBuffer() const;
  size_t BufferSize() const { return fDoc ? fDoc->size() + 1 : 0; }

  std::string Source;
  std::string XmlVersion;
  std::string Encoding;  // as written in the XML declaration
  bool Standalone = false;
  std::string RootName;
  size_t DtdcFinal = 0;  // end of the document type declaration in the document, once read
  bool Normalize = true;
  TEntityStack EntityStack;
  std::string CurEncoding;  // upper-cased "encoding" of the last XML declaration read
  TElemList Elements;
  TNvpList Entities;     // of TEntityDef
  TNvpList ParEntities;  // of TEntityDef
  TNvpList Notations;    // of TNotationDef

  // External entities and DTDs the document names that exist but could not be read (no regular file,
  // too large, no permission): path and reason, so the caller can report them. Emptied by Clear.
  std::vector<std::pair<std::string, std::string>> UnreadFiles;

  TXmlPartType CurPartType = ptNone;
  std::string CurName;
  std::string CurContent;
  size_t CurStart = 0;  // first and last character of the current part, in the text it came from
  size_t CurFinal = 0;
  TAttrList CurAttr;

  TEntityDef* EntityDef(const std::string& name) const;
  TEntityDef* ParEntityDef(const std::string& name) const;

  // Opens an external entity or DTD. Returns nil when the reference is refused (outside the
  // document's folder); a parser with an empty text when the file cannot be read.
  virtual std::unique_ptr<TXmlParser> LoadExternalEntity(const std::string& SystemId, const std::string& PublicId,
                                                         const std::string& Notation);
  // Hook for every text piece delivered; the document is UTF-8 already, so this only guarantees
  // valid UTF-8 for a derived parser that changes the text.
  virtual std::string TranslateEncoding(const std::string& Source);
  virtual void DtdElementFound(const TDtdElementRec& DtdElementRec);

 private:
  // scanning (XmlScanner.cpp)
  bool LoadDecoded(std::string bytes);
  bool AtEndOfText() const;
  bool PushEntity(const TEntityDef& def, size_t resumePos);
  void AnalyzeProlog();
  void AnalyzeComment();
  void AnalyzePI();
  void AnalyzeCData();
  void AnalyzeTag();
  bool AnalyzeText();
  size_t ReadAttributes(const std::string& text, size_t pos, TAttrList& list) const;
  std::string ExpandAttrValue(const std::string& value);
  bool TakeBudget(size_t bytes);
  // Fills frame with the text of def unless the reference is recursive, too deep, over the size bound,
  // or (external) refused. External parameter entities are not read: they give an empty text.
  bool OpenEntity(const TEntityDef& def, bool recursive, int depth, bool parameter, xml::TTextFrame& frame);

  // document type declaration (XmlScanner_Dtd.cpp)
  void AnalyzeDtdc();
  size_t ReadDoctype(const std::shared_ptr<const std::string>& doc, size_t start);
  // Reads declarations until ']' or '>' outside the parameter entities it meets; frames stop there.
  void ReadSubset(xml::TTextFrames& frames);
  void FollowParRef(xml::TTextFrames& frames);
  size_t SkipDoctype(const std::string& text, size_t pos) const;
  size_t ReadMarkupDecl(const std::string& text, size_t pos);
  void ReadElementDecl(const std::string& decl, std::string_view raw);
  void ReadAttListDecl(const std::string& decl, std::string_view raw);
  void ReadEntityDecl(const std::string& decl, std::string_view raw);
  void ReadNotationDecl(const std::string& decl, std::string_view raw);
  bool EnterParEntity(xml::TTextFrames& frames, std::string_view name);
  std::string ExpandParRefs(const std::string& text, bool insideLiterals);
  void ApplyDefaults(const TElemDef& def);
  void ReportDtd(TDtdElemType kind, std::string_view raw, TElemDef* elemDef = nullptr, TEntityDef* entityDef = nullptr,
                 TNotationDef* notationDef = nullptr);
  TElemDef* ElemDefFor(const std::string& name);

  std::shared_ptr<const std::string> fDoc;   // the document, UTF-8
  std::shared_ptr<const std::string> fText;  // the text being scanned: the document or an entity's
  size_t fPos = 0;                           // where the next part starts in fText
  bool fDtdRead = false;
  size_t fDtdStart = 0;                     // where the declaration that was read starts
  std::set<std::string> fDeclaredElements;  // names an ELEMENT declaration has defined
  bool fEnded = false;
  size_t fBudget = MaxExpansion;
  size_t fDefaultBudget = MaxDefaultWork;
};

// Replaces each byte that does not belong to a well-formed UTF-8 sequence by "¿", keeping the bytes
// after it.
std::string XmlValidUtf8(std::string_view text);

}  // namespace qmz
