// XmlDocument::Parse: the entity expansion budget, and the handlers that keep only the root and
// the children asked for.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include "platform/xml_document.h"
#include "platform/xml_handles.h"
#include "platform/xml_library.h"

namespace gallery {
namespace {

// No network, no DTD loaded or validated, entity references in element content kept as
// references. XML_PARSE_HUGE lifts libxml2's 10 MB limit on a single text, which long attribute
// values need; it also switches off libxml2's own guard against entity expansion, so the
// expansion budget below takes its place.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_HUGE;

// All entity references of a document together may stand for this much text: a fixed
// allowance plus a multiple of the document's size. A "billion laughs" document asks for
// gigabytes with its first reference and is refused before anything is expanded.
constexpr uint64_t kExpansionAllowance = uint64_t{8} << 20;
constexpr uint64_t kExpansionPerInputByte = 4;
// Every reference counts this much beside its text, so that even empty entities add up.
constexpr uint64_t kReferenceCost = 16;
// Entities nested deeper than this count as too large.
constexpr int kMaxEntityNesting = 40;
// Sizes saturate here; anything this large is far over any budget.
constexpr uint64_t kUnbounded = UINT64_MAX / 4;

struct ParseState {
  bool failed = false;
  uint64_t budget = 0;
  uint64_t expanded = 0;
  // The full expansion of each entity measured so far; kUnbounded while it is being measured,
  // so that an entity which refers back to itself counts as unbounded.
  std::unordered_map<const xmlEntity*, uint64_t> sizes;
  // The document's own parser; entity texts are parsed by parsers of their own.
  const xmlParserCtxt* document_parser = nullptr;
  std::span<const XmlKeptChildren> kept;
  // Of each entry of `kept`: has a child of that name been kept yet?
  std::vector<char> found;
  int depth = 0;  // of the element being parsed, the root's being 1
  bool in_kept_child = false;
  bool in_kept_subtree = false;  // inside a kept child whose elements are all kept
  // The first error met, by whichever parser met it.
  std::optional<XmlParseFault> fault;
};

// Our name for a libxml2 error code. Only the code is looked at: libxml2's wording is its own
// and changes between versions.
XmlSyntaxError GetSyntaxError(int code) {
  switch (code) {
    case XML_ERR_NAME_REQUIRED:
    case XML_ERR_ENTITYREF_SEMICOL_MISSING:
      return XmlSyntaxError::kBareAmpersand;
    case XML_ERR_UNDECLARED_ENTITY:
    case XML_WAR_UNDECLARED_ENTITY:
      return XmlSyntaxError::kUndefinedEntity;
    case XML_ERR_TAG_NAME_MISMATCH:
      return XmlSyntaxError::kMismatchedTag;
    case XML_ERR_TAG_NOT_FINISHED:
    case XML_ERR_LTSLASH_REQUIRED:
    case XML_ERR_GT_REQUIRED:
      return XmlSyntaxError::kUnclosedElement;
    case XML_ERR_ATTRIBUTE_NOT_STARTED:
    case XML_ERR_ATTRIBUTE_WITHOUT_VALUE:
      return XmlSyntaxError::kUnquotedAttribute;
    case XML_ERR_ATTRIBUTE_NOT_FINISHED:
      return XmlSyntaxError::kUnterminatedAttribute;
    case XML_ERR_LT_IN_ATTRIBUTE:
      return XmlSyntaxError::kLessThanInAttribute;
    case XML_ERR_INVALID_CHAR:
    case XML_ERR_INVALID_ENCODING:
    case XML_ERR_UNKNOWN_ENCODING:
    case XML_ERR_UNSUPPORTED_ENCODING:
      return XmlSyntaxError::kBadEncoding;
    case XML_ERR_DOCUMENT_EMPTY:
      return XmlSyntaxError::kEmpty;
    case XML_ERR_DOCUMENT_END:
      return XmlSyntaxError::kContentAfterRoot;
    default:
      return XmlSyntaxError::kOther;
  }
}

// Keeps the first fault only: what follows it is often the parser losing its way.
void RecordFault(ParseState& state, XmlSyntaxError cause, int line, int column) {
  if (!state.fault) state.fault = XmlParseFault{cause, std::max(line, 0), std::max(column, 0)};
}

// Where the parser `context` is now, for the faults that we find ourselves.
void RecordFaultHere(ParseState& state, xmlParserCtxt* context, XmlSyntaxError cause) {
  RecordFault(state, cause, xmlSAX2GetLineNumber(context), xmlSAX2GetColumnNumber(context));
}

uint64_t SaturatingAdd(uint64_t a, uint64_t b) { return std::min(a + b, kUnbounded); }

bool IsNameEnd(char c) {
  return c == ';' || c == '&' || c == '<' || c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The length of the text that `entity` stands for once every reference inside it is replaced,
// markup included.
uint64_t ExpandedSize(xmlDoc* doc, xmlEntity* entity, ParseState& state, int nesting) {
  if (entity->etype == XML_INTERNAL_PREDEFINED_ENTITY) return 1;
  if (nesting > kMaxEntityNesting) return kUnbounded;
  auto known = state.sizes.find(entity);
  if (known != state.sizes.end()) return known->second;
  state.sizes[entity] = kUnbounded;

  const char* text = reinterpret_cast<const char*>(entity->content);
  const int length = text == nullptr ? 0 : std::max(entity->length, 0);
  uint64_t size = 0;
  int i = 0;
  while (i < length && size < kUnbounded) {
    if (text[i] != '&' || (i + 1 < length && text[i + 1] == '#')) {
      size = SaturatingAdd(size, 1);
      ++i;
      continue;
    }
    int end = i + 1;
    while (end < length && !IsNameEnd(text[end])) ++end;
    if (end >= length || text[end] != ';' || end == i + 1) {
      size = SaturatingAdd(size, 1);
      ++i;
      continue;
    }
    std::string name(text + i + 1, text + end);
    xmlEntity* inner = xmlGetDocEntity(doc, reinterpret_cast<const xmlChar*>(name.c_str()));
    uint64_t inner_size = inner == nullptr ? static_cast<uint64_t>(end + 1 - i)
                                           : ExpandedSize(doc, inner, state, nesting + 1);
    size = SaturatingAdd(size, SaturatingAdd(inner_size, kReferenceCost));
    i = end + 1;
  }
  state.sizes[entity] = size;
  return size;
}

ParseState* StateOf(void* parser_context) {
  return static_cast<ParseState*>(static_cast<xmlParserCtxt*>(parser_context)->_private);
}

// Every entity reference the parser meets comes through here, also those inside entities and
// attribute values, and so does every entity declaration; the entity's whole expansion is
// charged against the budget before libxml2 expands anything, so a document that merely
// declares a bomb fails as well.
xmlEntity* GetEntityWithinBudget(void* parser_context, const xmlChar* name) {
  ParseState* state = StateOf(parser_context);
  if (state == nullptr || state->failed) {
    static_cast<xmlParserCtxt*>(parser_context)->wellFormed = 0;
    return nullptr;
  }
  xmlEntity* entity = xmlSAX2GetEntity(parser_context, name);
  if (entity == nullptr) return nullptr;
  uint64_t size =
      ExpandedSize(static_cast<xmlParserCtxt*>(parser_context)->myDoc, entity, *state, 0);
  state->expanded = SaturatingAdd(state->expanded, SaturatingAdd(size, kReferenceCost));
  if (state->expanded > state->budget) {
    state->failed = true;
    RecordFaultHere(*state, static_cast<xmlParserCtxt*>(parser_context), XmlSyntaxError::kTooLarge);
    // Without this libxml2 looks the entity up once more by itself when the lookup gives
    // nothing.
    static_cast<xmlParserCtxt*>(parser_context)->wellFormed = 0;
    return nullptr;
  }
  return entity;
}

xmlParserInput* RefuseExternalEntity(void*, const xmlChar*, const xmlChar*) { return nullptr; }

// Reports of the parser about the document it parses; `data` is that parser's context.
void RecordParserError(void* parser_context, xmlError* error) {
  ParseState* state = StateOf(parser_context);
  if (state == nullptr) return;
  state->failed = true;
  // libxml2 keeps the column in `int2`.
  if (error != nullptr) RecordFault(*state, GetSyntaxError(error->code), error->line, error->int2);
}
void RecordParserMessage(void* parser_context, const char*, ...) {
  if (ParseState* state = StateOf(parser_context)) state->failed = true;
}

// True when a child of the root named `local_name` with `prefix` (or none) is one `state`
// keeps; `subtree` then tells whether everything inside it is kept too.
bool KeepsChild(ParseState& state, const xmlChar* local_name, const xmlChar* prefix,
                bool& subtree) {
  std::string_view local(reinterpret_cast<const char*>(local_name));
  std::string_view before = prefix == nullptr ? "" : reinterpret_cast<const char*>(prefix);
  subtree = false;
  if (state.kept.empty()) return true;
  for (size_t i = 0; i < state.kept.size(); ++i) {
    const bool matches = IsWrittenName(before, local, state.kept[i].name);
    if (!matches || (state.kept[i].first_only && state.found[i])) continue;
    state.found[i] = 1;
    subtree = state.kept[i].subtree;
    return true;
  }
  return false;
}

// True when the element at the state's depth is one that became a node.
bool IsKeptHere(const ParseState& state) {
  return state.depth == 1 || (state.depth == 2 && state.in_kept_child) ||
         (state.depth > 2 && state.in_kept_subtree);
}

// Only the root, the kept children of the document itself and the elements inside those kept
// whole become nodes; every other element is parsed, checked and dropped. Elements in entity
// texts are never kept: a reference in content stays a reference, and an entity that holds an
// element cannot stand in an attribute.
void StartElement(void* parser_context, const xmlChar* local_name, const xmlChar* prefix,
                  const xmlChar* uri, int namespace_count, const xmlChar** namespaces,
                  int attribute_count, int defaulted_count, const xmlChar** attributes) {
  auto* context = static_cast<xmlParserCtxt*>(parser_context);
  ParseState* state = StateOf(parser_context);
  if (state == nullptr) return;
  ++state->depth;
  if (state->depth > kMaxXmlElementDepth) {
    state->failed = true;
    RecordFaultHere(*state, context, XmlSyntaxError::kTooDeep);
    xmlStopParser(context);
    return;
  }
  if (context != state->document_parser) return;
  if (state->depth == 2) {
    bool subtree = false;
    state->in_kept_child = KeepsChild(*state, local_name, prefix, subtree);
    state->in_kept_subtree = state->in_kept_child && subtree;
  }
  if (IsKeptHere(*state)) {
    // A default from the DTD is copied into every element that omits the attribute, so a
    // long default on many elements is charged like the entity references it could stand for.
    for (int i = attribute_count - defaulted_count; i < attribute_count; ++i) {
      const uint64_t length = static_cast<uint64_t>(attributes[5 * i + 4] - attributes[5 * i + 3]);
      state->expanded = SaturatingAdd(state->expanded, SaturatingAdd(length, kReferenceCost));
    }
    if (state->expanded > state->budget) {
      state->failed = true;
      RecordFaultHere(*state, context, XmlSyntaxError::kTooLarge);
      xmlStopParser(context);
      return;
    }
    xmlSAX2StartElementNs(parser_context, local_name, prefix, uri, namespace_count, namespaces,
                          attribute_count, defaulted_count, attributes);
  }
}

void EndElement(void* parser_context, const xmlChar* local_name, const xmlChar* prefix,
                const xmlChar* uri) {
  auto* context = static_cast<xmlParserCtxt*>(parser_context);
  ParseState* state = StateOf(parser_context);
  if (state == nullptr) return;
  if (context == state->document_parser && IsKeptHere(*state)) {
    xmlSAX2EndElementNs(parser_context, local_name, prefix, uri);
  }
  if (context == state->document_parser && state->depth == 2) {
    state->in_kept_child = false;
    state->in_kept_subtree = false;
  }
  --state->depth;
}

}  // namespace

std::optional<XmlDocument> XmlDocument::Parse(std::string_view bytes,
                                              std::span<const XmlKeptChildren> kept,
                                              XmlParseFault* fault) {
  InitialiseXmlLibrary();
  // libxml2 makes no parser for an empty text, and cannot take one past INT_MAX bytes.
  if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX)) {
    if (fault != nullptr) {
      *fault = XmlParseFault{bytes.empty() ? XmlSyntaxError::kEmpty : XmlSyntaxError::kOther};
    }
    return std::nullopt;
  }
  ParseState state;
  state.budget = kExpansionAllowance + kExpansionPerInputByte * bytes.size();
  state.kept = kept;
  state.found.assign(kept.size(), 0);
  XmlThreadReports reports(state.failed);

  UniqueXmlParserCtxt context(
      xmlCreateMemoryParserCtxt(bytes.data(), static_cast<int>(bytes.size())));
  if (context == nullptr) {
    if (fault != nullptr) *fault = XmlParseFault{};
    return std::nullopt;
  }
  xmlCtxtUseOptions(context.get(), kParseOptions);
  context->_private = &state;
  state.document_parser = context.get();
  context->replaceEntities = 0;
  // Attribute defaults that the document's own DTD declares are attributes of its elements, as
  // any XML processor reports them. This is set here rather than through XML_PARSE_DTDATTR:
  // that option would also have libxml2 read external parameter entities by itself.
  context->loadsubset = XML_COMPLETE_ATTRS;
  context->validate = 0;
  // The context owns its own copy of the handler table, so these changes stay with this parse.
  xmlSAXHandler* sax = context->sax;
  sax->serror = RecordParserError;
  sax->error = RecordParserMessage;
  sax->warning = RecordParserMessage;
  sax->fatalError = RecordParserMessage;
  sax->getEntity = GetEntityWithinBudget;
  sax->resolveEntity = RefuseExternalEntity;
  sax->externalSubset = nullptr;
  // Nothing reads text, so none is kept, and with the elements pruned the tree stays small.
  sax->startElementNs = StartElement;
  sax->endElementNs = EndElement;
  sax->characters = nullptr;
  sax->ignorableWhitespace = nullptr;
  sax->cdataBlock = nullptr;
  sax->comment = nullptr;
  sax->processingInstruction = nullptr;
  sax->reference = nullptr;

  const int result = xmlParseDocument(context.get());
  UniqueXmlDoc doc(context->myDoc);
  context->myDoc = nullptr;
  if (result != 0 || !context->wellFormed || state.failed || doc == nullptr) {
    if (fault != nullptr) {
      const xmlError& last = context->lastError;
      if (last.code != XML_ERR_OK) {
        RecordFault(state, GetSyntaxError(last.code), last.line, last.int2);
      }
      *fault = state.fault.value_or(XmlParseFault{});
    }
    return std::nullopt;
  }
  return XmlDocument(doc.release());
}

}  // namespace gallery
