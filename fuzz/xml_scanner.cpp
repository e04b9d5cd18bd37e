// Arbitrary bytes as an XML document, scanned to the end: once as given, once behind a document type
// declaration with entities and defaults, so the reference and default paths are reached early.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "support/XmlScanner.h"

namespace {

void ScanAll(qmz::TXmlParser& parser, std::string_view doc) {
  parser.LoadFromBuffer(doc);
  while (parser.Scan()) {
    for (int i = 0; i < parser.CurAttr.Count(); ++i) (void)parser.CurAttr.Value(i);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  qmz::TXmlParser parser;
  ScanAll(parser, input);
  static const std::string dtd =
      "<!DOCTYPE r [<!ENTITY % p \"(a|b)*\"><!ELEMENT r %p;><!ATTLIST r k (x|y) 'x' f CDATA #FIXED 'v&e;'"
      " n NMTOKENS ' a  b '><!ENTITY e \"&#60;i&#62;&amp;\"><!ENTITY d \"&e;&e;&e;\">]>";
  ScanAll(parser, dtd + std::string(input));
  parser.StartScan();  // a second pass over the same document
  while (parser.Scan()) {
  }
  return 0;
}
