// The document type declaration of TXmlParser: root name, internal subset and external DTD, read into
// the element, attribute, entity and notation definitions that supply entities and attribute defaults.
#include <algorithm>

#include "support/XmlScanner.h"
#include "support/XmlScanner_Text.h"

namespace qmz {

using namespace xml;

namespace {

// A quoted literal at p: its text, and the position after its closing quote (the end of the text
// when the quote is missing). False when no quote stands at p.
bool ReadLiteral(std::string_view s, size_t& p, std::string& out) {
  if (p >= s.size() || (s[p] != '"' && s[p] != '\'')) return false;
  size_t q = s.find(s[p], p + 1);
  if (q == std::string_view::npos) q = s.size();
  out = std::string(s.substr(p + 1, q - p - 1));
  p = std::min(q + 1, s.size());
  return true;
}

// A parenthesised group at p, nested groups included; runs to the end of the text when unbalanced.
std::string ReadGroup(std::string_view s, size_t& p) {
  size_t start = p;
  int depth = 0;
  while (p < s.size()) {
    char c = s[p++];
    if (c == '(') ++depth;
    else if (c == ')' && --depth == 0) break;
  }
  return std::string(s.substr(start, p - start));
}

// The '>' that closes a markup declaration starting at p, skipping quoted literals.
size_t DeclEnd(std::string_view s, size_t p) {
  char quote = 0;
  for (; p < s.size(); ++p) {
    char c = s[p];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return p;
    }
  }
  return s.size();
}

// The name a markup declaration starts with; p moves past it. False when there is none.
bool ReadDeclName(std::string_view s, size_t& p, std::string_view delims, std::string& name) {
  p = SkipWs(s, p);
  size_t ne = NameEnd(s, p, delims);
  name = std::string(s.substr(p, ne - p));
  p = ne;
  return !name.empty();
}

// Where reading goes on after an external identifier: past its closing quote.
size_t AfterExternalID(std::string_view s, const TExternalID& id) {
  if (id.Final < s.size() && (s[id.Final] == '"' || s[id.Final] == '\'')) return id.Final + 1;
  return std::min(id.Final, s.size());
}

TAttrType AttrTypeOf(std::string_view keyword) {
  static const char* const keywords[] = {"CDATA", "ID", "IDREF", "IDREFS", "ENTITY", "ENTITIES", "NMTOKEN", "NMTOKENS"};
  for (int i = 0; i < 8; ++i)
    if (keyword == keywords[i]) return static_cast<TAttrType>(i + 1);
  return atUnknown;
}

}  // namespace

TExternalID::TExternalID(std::string_view text, size_t pos) {
  size_t p = SkipWs(text, pos);
  Final = pos;
  int literals = 0;
  if (StartsAt(text, p, "SYSTEM")) literals = 1;
  else if (StartsAt(text, p, "PUBLIC")) literals = 2;
  if (literals == 0) return;
  p += 6;
  Final = p - 1;
  for (int i = 0; i < literals; ++i) {
    // Skip to the next quote, but never past the end of the declaration.
    while (p < text.size() && text[p] != '"' && text[p] != '\'' && text[p] != '>' && text[p] != '[' && text[p] != '\0')
      ++p;
    std::string lit;
    if (!ReadLiteral(text, p, lit)) {
      Final = p;
      break;
    }
    Final = p - 1;  // the closing quote, or the end of the text when it is missing
    (literals == 2 && i == 0 ? PublicId : SystemId) = std::move(lit);
  }
}

void TXmlParser::ReportDtd(TDtdElemType kind, std::string_view raw, TElemDef* elemDef, TEntityDef* entityDef,
                           TNotationDef* notationDef) {
  TDtdElementRec rec;
  rec.ElementType = kind;
  rec.Text = raw;
  rec.ElemDef = elemDef;
  rec.EntityDef = entityDef;
  rec.NotationDef = notationDef;
  DtdElementFound(rec);
}

TElemDef* TXmlParser::ElemDefFor(const std::string& name) {
  if (TElemDef* def = Elements.Node(name)) return def;
  if (Elements.Count() >= MaxDefinitions) return nullptr;
  auto fresh = std::make_unique<TElemDef>();
  fresh->Name = name;
  fresh->ElemType = etAny;
  return Elements.Add(std::move(fresh));
}

bool TXmlParser::EnterParEntity(TTextFrames& frames, std::string_view name) {
  TEntityDef* def = ParEntityDef(std::string(name));
  TTextFrame inner;
  if (!def || !OpenEntity(*def, frames.Contains(def->Name), frames.Depth(), true, inner)) return false;
  frames.Push(std::move(inner));
  return true;
}

std::string TXmlParser::ExpandParRefs(const std::string& text, bool insideLiterals) {
  TTextFrames frames(std::make_shared<const std::string>(text));
  std::string out;
  char quote = 0;
  for (;;) {
    TTextFrame& f = frames.Current();
    std::shared_ptr<const std::string> keep = f.Text;
    const std::string& t = *keep;
    if (f.Pos >= t.size()) break;
    char c = t[f.Pos];
    if (!frames.InEntity() && !insideLiterals && (quote || c == '"' || c == '\'')) {
      // Outside literals only: a literal's own references are the declaration's business.
      if (!quote) quote = c;
      else if (c == quote) quote = 0;
      out += c;
      ++f.Pos;
      continue;
    }
    TRef r = c == '%' ? ScanRef(t, f.Pos, '%') : TRef();
    if (r.Kind == TRef::None) {
      out += c;
      ++f.Pos;
      continue;
    }
    f.Pos = r.End;
    if (!EnterParEntity(frames, r.Name))
      out.append(t, r.End - r.Name.size() - 2, r.Name.size() + 2);  // stays as written
  }
  return out;
}

void TXmlParser::FollowParRef(TTextFrames& frames) {
  TTextFrame& f = frames.Current();
  TRef r = ScanRef(*f.Text, f.Pos, '%');
  if (r.Kind == TRef::None) {
    ++f.Pos;  // a percent sign without a reference
    return;
  }
  f.Pos = r.End;
  EnterParEntity(frames, r.Name);  // an unknown one is skipped
}

void TXmlParser::ReadSubset(TTextFrames& frames) {
  const int depth = frames.Depth();
  for (;;) {
    TTextFrame& f = frames.Current();
    std::shared_ptr<const std::string> keep = f.Text;
    const std::string& t = *keep;
    if (f.Pos >= t.size()) return;
    char c = t[f.Pos];
    if (c == ']' || c == '>') {
      if (frames.Depth() <= depth) return;
      // The subset cannot end inside a parameter entity referenced from it.
      ReportDtd(deError, std::string_view(t).substr(f.Pos, 1));
      ++f.Pos;
    } else if (c == '%') {
      FollowParRef(frames);
    } else if (c == '<') {
      f.Pos = ReadMarkupDecl(t, f.Pos);
    } else {
      ++f.Pos;
    }
  }
}

size_t TXmlParser::ReadMarkupDecl(const std::string& t, size_t pos) {
  struct Decl {
    const char* keyword;
    void (TXmlParser::*read)(const std::string&, std::string_view);
  };
  static const Decl decls[] = {
      {"<!ELEMENT", &TXmlParser::ReadElementDecl},
      {"<!ATTLIST", &TXmlParser::ReadAttListDecl},
      {"<!ENTITY", &TXmlParser::ReadEntityDecl},
      {"<!NOTATION", &TXmlParser::ReadNotationDecl},
  };
  std::string_view sv(t);
  for (const Decl& d : decls) {
    std::string_view kw(d.keyword);
    if (!StartsAt(sv, pos, kw)) continue;
    size_t bodyStart = pos + kw.size();
    size_t end = DeclEnd(sv, bodyStart);
    size_t next = std::min(end + 1, t.size());
    (this->*d.read)(t.substr(bodyStart, end - bodyStart), sv.substr(pos, next - pos));
    return next;
  }
  if (StartsAt(sv, pos, "<?")) {
    size_t nameEnd = NameEnd(sv, pos + 2, "?");
    size_t q = t.find("?>", nameEnd);
    size_t contentEnd = q == std::string::npos ? t.size() : q;
    size_t next = q == std::string::npos ? t.size() : q + 2;
    TAttrList attrs;
    TDtdElementRec rec;
    rec.ElementType = dePI;
    rec.Text = sv.substr(pos, next - pos);
    rec.Target = t.substr(pos + 2, nameEnd - pos - 2);
    rec.Content = t.substr(nameEnd, contentEnd - nameEnd);
    ReadAttributes(rec.Content, 0, attrs);
    rec.AttrList = &attrs;
    DtdElementFound(rec);
    return next;
  }
  if (StartsAt(sv, pos, "<!--")) {
    size_t q = t.find("-->", pos + 4);
    size_t next = q == std::string::npos ? t.size() : q + 3;
    ReportDtd(deComment, sv.substr(pos, next - pos));
    return next;
  }
  // Unknown markup: only its '<' is unexpected; what follows is read on as text between declarations, so
  // its '>' ends the subset as any '>' there does.
  ReportDtd(deError, sv.substr(pos, 1));
  return pos + 1;
}

void TXmlParser::ReadElementDecl(const std::string& body, std::string_view raw) {
  std::string s = ExpandParRefs(body, false);
  size_t p = 0;
  std::string name;
  if (!ReadDeclName(s, p, "", name)) return ReportDtd(deError, raw);
  std::string model = RemoveWs(std::string_view(s).substr(p));
  TElemType type = etAny;
  if (model == "EMPTY") type = etEmpty;
  else if (model == "ANY") type = etAny;
  else if (StartsAt(model, 0, "(#PCDATA")) type = etMixed;
  else if (StartsAt(model, 0, "(")) type = etChildsOnly;
  TElemDef* def = nullptr;
  if (fDeclaredElements.count(name)) {
    // Declared again: a new definition, and the earlier one's attributes go with the earlier one.
    auto fresh = std::make_unique<TElemDef>();
    fresh->Name = name;
    def = Elements.Add(std::move(fresh));
  } else {
    // An ATTLIST may come before the first declaration (XML allows that order): its attribute definitions
    // stay with the element, or a valid document would lose its defaults.
    def = ElemDefFor(name);
    if (!def) return ReportDtd(deError, raw);  // over the bound of definitions
    fDeclaredElements.insert(name);
  }
  def->ElemType = type;
  def->Definition = std::move(model);
  ReportDtd(deElement, raw, def);
}

void TXmlParser::ReadAttListDecl(const std::string& body, std::string_view raw) {
  std::string s = ExpandParRefs(body, false);
  size_t p = 0;
  std::string name;
  if (!ReadDeclName(s, p, "", name)) return ReportDtd(deError, raw);
  TElemDef* def = ElemDefFor(name);
  if (!def) return ReportDtd(deError, raw);
  // Every pass of this loop reads at least one character, so malformed lists end.
  for (;;) {
    p = SkipWs(s, p);
    if (p >= s.size()) break;
    size_t loopStart = p;
    size_t an = NameEnd(s, p, "");
    if (an == p) {
      ++p;  // a stray '>' or zero byte
      continue;
    }
    auto ad = std::make_unique<TAttrDef>();
    ad->Name = s.substr(p, an - p);
    p = SkipWs(s, an);
    if (p < s.size() && s[p] == '(') {
      ad->TypeDef = ReplaceCharRefs(RemoveWs(ReadGroup(s, p)));
      ad->AttrType = atEnumeration;
    } else {
      size_t ke = NameEnd(s, p, "(");
      ad->TypeDef = s.substr(p, ke - p);
      p = ke;
      if (ad->TypeDef == "NOTATION") {
        ad->AttrType = atNotation;
        p = SkipWs(s, p);
        if (p < s.size() && s[p] == '(') ad->Notations = RemoveWs(ReadGroup(s, p));
      } else {
        ad->AttrType = AttrTypeOf(ad->TypeDef);
      }
    }
    p = SkipWs(s, p);
    std::string literal;
    if (StartsAt(s, p, "#REQUIRED")) {
      ad->DefaultType = dtRequired;
      p += 9;
    } else if (StartsAt(s, p, "#IMPLIED")) {
      ad->DefaultType = dtImplied;
      p += 8;
    } else if (StartsAt(s, p, "#FIXED")) {
      ad->DefaultType = dtFixed;
      p = SkipWs(s, p + 6);
      ReadLiteral(s, p, literal);
    } else if (!ReadLiteral(s, p, literal)) {
      p = NameEnd(s, p, "");  // not a default we know: skip the word
    }
    ad->Literal = ExpandParRefs(literal, true);
    ad->Value = ReplaceCharRefs(ad->Literal);
    if (def->Count() < MaxDefinitions || def->Node(ad->Name)) def->Replace(std::move(ad));
    if (p == loopStart) ++p;
  }
  ReportDtd(deAttList, raw, def);
}

void TXmlParser::ReadEntityDecl(const std::string& body, std::string_view raw) {
  std::string s = ExpandParRefs(body, false);
  size_t p = SkipWs(s, 0);
  bool parameter = p + 1 < s.size() && s[p] == '%' && IsWs(s[p + 1]);
  if (parameter) ++p;
  std::string name;
  if (!ReadDeclName(s, p, "\"'", name)) return ReportDtd(deError, raw);
  auto def = std::make_unique<TEntityDef>();
  def->Name = name;
  p = SkipWs(s, p);
  std::string literal;
  if (ReadLiteral(s, p, literal)) {
    if (!parameter) literal = ExpandParRefs(literal, true);
    def->Value = ReplaceCharRefs(literal);
  } else {
    TExternalID id(s, p);
    def->SystemId = id.SystemId;
    def->PublicId = id.PublicId;
    p = SkipWs(s, AfterExternalID(s, id));
    if (StartsAt(s, p, "NDATA")) {
      p = SkipWs(s, p + 5);
      def->NotationName = s.substr(p, NameEnd(s, p, "") - p);
    }
  }
  TNvpList& list = parameter ? ParEntities : Entities;
  if (list.Count() >= MaxDefinitions && !list.Node(def->Name)) return ReportDtd(deError, raw);
  TEntityDef* stored = def.get();
  list.Replace(std::move(def));
  ReportDtd(deEntity, raw, nullptr, stored);
}

void TXmlParser::ReadNotationDecl(const std::string& body, std::string_view raw) {
  std::string s = ExpandParRefs(body, false);
  size_t p = 0;
  std::string name;
  if (!ReadDeclName(s, p, "", name)) return ReportDtd(deError, raw);
  auto def = std::make_unique<TNotationDef>();
  def->Name = name;
  TExternalID id(s, p);
  def->Value = id.SystemId;
  def->PublicId = id.PublicId;
  if (Notations.Count() >= MaxDefinitions) return ReportDtd(deError, raw);
  TNotationDef* stored = def.get();
  Notations.Add(std::move(def));
  ReportDtd(deNotation, raw, nullptr, nullptr, stored);
}

size_t TXmlParser::SkipDoctype(const std::string& t, size_t pos) const {
  char quote = 0;
  bool inSubset = false;
  for (size_t p = pos + 9; p < t.size(); ++p) {
    char c = t[p];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (inSubset) {
      if (c == ']') inSubset = false;
    } else if (c == '[') {
      inSubset = true;
    } else if (c == '>') {
      return p;
    }
  }
  return t.size();
}

void TXmlParser::AnalyzeDtdc() {
  std::shared_ptr<const std::string> keep = fText;
  const std::string& t = *keep;
  size_t start = fPos;
  CurPartType = ptDtdc;
  size_t end;
  if (fText != fDoc || fDtdRead) {
    // Read once per load, and only in the document itself; otherwise just move past it.
    end = (fText == fDoc && start == fDtdStart) ? DtdcFinal : SkipDoctype(t, start);
  } else {
    fDtdRead = true;
    fDtdStart = start;
    EntityStack.Clear();
    DtdcFinal = ReadDoctype(keep, start);
    end = DtdcFinal;
  }
  CurFinal = std::min(end, t.empty() ? 0 : t.size() - 1);
  fPos = std::min(end + 1, t.size());
}

size_t TXmlParser::ReadDoctype(const std::shared_ptr<const std::string>& doc, size_t start) {
  TTextFrames frames(doc, start + 9);
  bool haveRoot = false, afterSubset = false, endedInEntity = false;
  for (;;) {
    TTextFrame& f = frames.Current();
    std::shared_ptr<const std::string> keep = f.Text;
    const std::string& t = *keep;
    if (f.Pos >= t.size()) break;  // the document ended first
    const char c = t[f.Pos];
    if (c == '>') {
      if (frames.InEntity()) {
        endedInEntity = true;
        ReportDtd(deError, std::string_view(t).substr(f.Pos, 1));
      }
      break;
    }
    if (IsWs(c)) {
      ++f.Pos;
    } else if (c == '%') {
      FollowParRef(frames);
    } else if (!haveRoot) {
      const size_t ne = NameEnd(t, f.Pos, "[");
      RootName = t.substr(f.Pos, ne - f.Pos);
      f.Pos = ne;
      haveRoot = true;
    } else if (afterSubset) {
      size_t q = f.Pos;
      while (q < t.size() && !IsWs(t[q]) && t[q] != '>' && t[q] != '%') ++q;
      ReportDtd(deError, std::string_view(t).substr(f.Pos, q - f.Pos));
      f.Pos = q;
    } else if (StartsAt(t, f.Pos, "SYSTEM") || StartsAt(t, f.Pos, "PUBLIC")) {
      TExternalID id(t, f.Pos);
      f.Pos = AfterExternalID(t, id);
      std::unique_ptr<TXmlParser> dtd;
      if (TakeBudget(ExternalLoadCost)) dtd = LoadExternalEntity(id.SystemId, id.PublicId, "");
      if (dtd && dtd->fDoc && TakeBudget(dtd->fDoc->size())) {
        size_t first = dtd->fDoc->find("<!");
        if (first != std::string::npos) {
          TTextFrames external(dtd->fDoc, first);
          ReadSubset(external);
        }
      }
    } else if (c == '[') {
      ++f.Pos;
      ReadSubset(frames);
      afterSubset = true;
      TTextFrame& g = frames.Current();
      if (g.Pos < g.Text->size() && (*g.Text)[g.Pos] == ']') ++g.Pos;
    } else {
      ++f.Pos;  // nothing else is expected before the subset
    }
  }
  EntityStack.Clear();
  // Ended inside an entity's text: the document goes on after the outermost reference.
  const TTextFrame& outer = frames.Outer();
  if (endedInEntity) return outer.Pos - 1;
  return std::min(outer.Pos, doc->size());
}

void TXmlParser::ApplyDefaults(const TElemDef& def) {
  size_t cost = 16 * static_cast<size_t>(def.Count());
  for (int i = 0; i < def.Count() && cost <= fDefaultBudget; ++i) {
    const TAttrDef* ad = def.AttrDef(i);
    if (!ad->Value.empty() && !CurAttr.Node(ad->Name)) cost += ad->Literal.size();
  }
  if (cost > fDefaultBudget) {
    fDefaultBudget = 0;
    return;
  }
  fDefaultBudget -= cost;
  std::vector<std::unique_ptr<TNvpNode>> missing;
  for (int i = 0; i < def.Count(); ++i) {
    const TAttrDef* ad = def.AttrDef(i);
    if (ad->Value.empty() || CurAttr.Node(ad->Name)) continue;
    // The literal, not the decoded value: the tag's one expansion pass decodes it.
    auto a = std::make_unique<TAttr>(ad->Name, ad->Literal);
    a->ValueType = vtDefault;
    missing.push_back(std::move(a));
  }
  CurAttr.AddMany(std::move(missing));
  for (int i = 0; i < def.Count(); ++i) {
    const TAttrDef* ad = def.AttrDef(i);
    TAttr* a = CurAttr.Attr(ad->Name);
    if (!a) continue;
    if (ad->DefaultType == dtImplied) {
      a->ValueType = vtImplied;
    } else if (ad->DefaultType == dtFixed) {
      a->ValueType = vtFixed;
      a->Value = ad->Literal;
    }
    a->AttrType = ad->AttrType;
  }
}

}  // namespace qmz
