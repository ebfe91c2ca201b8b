#ifndef GALLERY_PLATFORM_XML_DOCUMENT_H_
#define GALLERY_PLATFORM_XML_DOCUMENT_H_

#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

namespace gallery {

// Elements nested deeper than this fail a parse: no document of ours comes near it, and each
// open element costs the parser memory until it closes.
inline constexpr int kMaxXmlElementDepth = 256;

// Children of the root that `XmlDocument::Parse` keeps: those named `name`, every one or only
// the first, and with `subtree` every element inside them at any depth as well.
struct XmlKeptChildren {
  std::string_view name;
  bool first_only = false;
  bool subtree = false;
};

// What made a parse fail, in the words of this program rather than of the parser.
enum class XmlSyntaxError {
  kOther,                  // any error not named below
  kBareAmpersand,          // an "&" that starts no reference, or a reference without its ";"
  kUndefinedEntity,        // a reference to an entity the document does not declare
  kMismatchedTag,          // an end tag that does not match the element it closes
  kUnclosedElement,        // the document ends inside an element or a tag
  kUnquotedAttribute,      // an attribute value without its opening quote, or without any value
  kUnterminatedAttribute,  // an attribute value whose closing quote is missing
  kLessThanInAttribute,    // a "<" inside an attribute value
  kBadEncoding,            // bytes that are not valid in the document's encoding, or an unknown one
  kEmpty,                  // no root element at all
  kContentAfterRoot,       // anything but comments and white space after the root element
  kTooDeep,                // elements nested deeper than kMaxXmlElementDepth
  kTooLarge,               // entity references that would expand far beyond the document's size
};

// Where a parse failed: the first error met, its line and column counted from 1 (0 when the
// parser did not say).
struct XmlParseFault {
  XmlSyntaxError cause = XmlSyntaxError::kOther;
  int line = 0;
  int column = 0;
};

struct XmlDocumentFree {
  void operator()(_xmlDoc* doc) const;
};

// A handle to an element of an `XmlDocument`, valid while that document lives. An empty handle
// stands for "no such element"; every operation on it fails. Names are matched as written in
// the document, prefix included, and case-sensitively.
class XmlElement {
 public:
  XmlElement() = default;
  explicit operator bool() const { return node_ != nullptr; }

  // The first child element named `name`, or an empty handle.
  XmlElement FirstChild(std::string_view name) const;
  // Every child element named `name`, in document order; grandchildren are not included.
  std::vector<XmlElement> Children(std::string_view name) const;
  // Every child element named one of `names`, in document order.
  std::vector<XmlElement> Children(std::initializer_list<std::string_view> names) const;
  // True when the element is named `name`.
  bool IsNamed(std::string_view name) const;
  // The attribute's value in UTF-8 with references resolved, or nothing when it is absent.
  std::optional<std::string> Attribute(std::string_view name) const;
  // Sets a text attribute, taken literally (no references are resolved in it); an attribute
  // that is new goes after the existing ones. False when the name is not an XML name or the
  // value is not UTF-8 free of NUL characters.
  bool SetAttribute(std::string_view name, std::string_view value);
  // Appends a new element as the last child; an empty handle on failure.
  XmlElement AppendChild(std::string_view name);

 private:
  friend class XmlDocument;
  explicit XmlElement(_xmlNode* node) : node_(node) {}
  _xmlNode* node_ = nullptr;
};

// An XML document in memory. Parsing never reads the network, an external entity or a DTD, and
// reports nothing: any error or warning of the parser makes it fail, and so does a document
// whose entity references would expand far beyond its own size. Safe to use from several
// threads, one document per thread.
class XmlDocument {
 public:
  // Parses a document in whatever encoding it declares (UTF-8 when it declares none, UTF-16
  // with a byte-order mark); texts then read as UTF-8. Only the root element and the children of
  // it that `kept` names (every child when it names none) are kept, with their attributes, and
  // the elements inside those it keeps whole; the rest (other elements, text, comments) is
  // checked and dropped, so that memory grows with what
  // is kept and not with the document. Nesting deeper than kMaxXmlElementDepth fails. On
  // failure, a non-null `fault` receives where and why.
  static std::optional<XmlDocument> Parse(std::string_view bytes,
                                          std::span<const XmlKeptChildren> kept = {},
                                          XmlParseFault* fault = nullptr);
  // An empty document to build.
  static std::optional<XmlDocument> CreateEmpty();

  // The root element when it is named `name`, else an empty handle.
  XmlElement Root(std::string_view name) const;
  // Makes a new element named `name` the root of a document that has none yet; an empty handle
  // on failure.
  XmlElement SetRoot(std::string_view name);
  // The document as indented UTF-8 bytes with an XML declaration; nothing on failure.
  std::optional<std::string> Serialize() const;
  // Writes the bytes of `Serialize` to the open file `descriptor` as they are made, never
  // holding all of them; false when they could not all be made or written.
  bool WriteTo(int descriptor) const;

 private:
  explicit XmlDocument(_xmlDoc* doc) : doc_(doc) {}

  std::unique_ptr<_xmlDoc, XmlDocumentFree> doc_;
};

}  // namespace gallery

#endif  // GALLERY_PLATFORM_XML_DOCUMENT_H_
