#include "platform/html_text.h"

#include <algorithm>
#include <climits>
#include <memory>

#include <glib.h>
#include <libxml/HTMLparser.h>

#include "platform/xml_handles.h"
#include "platform/xml_library.h"

namespace gallery {
namespace {

// The fragment is parsed inside an element of its own: loose text at the top would otherwise be
// put in paragraphs the fragment never had.
constexpr std::string_view kWrapper = "<div>";

constexpr int kHtmlParseOptions =
    HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET | HTML_PARSE_NOIMPLIED;

struct GlibFree {
  void operator()(gchar* text) const { g_free(text); }
};

std::string_view TextOf(const xmlChar* text) {
  return text == nullptr ? std::string_view() : reinterpret_cast<const char*>(text);
}

bool IsTextNode(const xmlNode* node) {
  return node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE;
}

// Every node under the document in document order, without recursion: a fragment may nest
// elements as deep as it likes. The wrapper element itself is not reported.
void Walk(const xmlDoc* document, const xmlNode* wrapper, std::vector<CHtmlPiece>& pieces) {
  const xmlNode* node = document->children;
  while (node != nullptr) {
    const bool element = node->type == XML_ELEMENT_NODE;
    if (element && node != wrapper) {
      pieces.push_back({CHtmlPiece::Kind::kElementStart, std::string(TextOf(node->name))});
    } else if (IsTextNode(node)) {
      pieces.push_back({CHtmlPiece::Kind::kText, std::string(TextOf(node->content))});
    }
    if (element && node->children != nullptr) {
      node = node->children;
      continue;
    }
    // Leave this node, and each parent whose last child it was.
    for (;;) {
      if (node->type == XML_ELEMENT_NODE && node != wrapper) {
        pieces.push_back({CHtmlPiece::Kind::kElementEnd, std::string(TextOf(node->name))});
      }
      if (node->next != nullptr) {
        node = node->next;
        break;
      }
      node = node->parent;
      if (node == nullptr || node->type != XML_ELEMENT_NODE) {
        node = nullptr;
        break;
      }
    }
  }
}

}  // namespace

std::vector<CHtmlPiece> ReadHtmlFragment(std::string_view html) {
  InitialiseXmlLibrary();
  std::vector<CHtmlPiece> pieces;
  if (html.size() > static_cast<size_t>(INT_MAX / 4)) return pieces;
  std::string bytes(kWrapper);
  bytes += html;
  std::replace(bytes.begin(), bytes.end(), '\0', ' ');
  // The parser takes bytes that are not UTF-8 over as they are.
  const std::unique_ptr<gchar, GlibFree> valid(
      g_utf8_make_valid(bytes.data(), static_cast<gssize>(bytes.size())));
  const std::string_view text = valid.get();

  bool reported = false;
  XmlThreadReports reports(reported);
  const UniqueXmlDoc document(htmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr,
                                             "UTF-8", kHtmlParseOptions));
  if (document == nullptr) return pieces;
  const xmlNode* wrapper = document->children;
  while (wrapper != nullptr && wrapper->type != XML_ELEMENT_NODE) wrapper = wrapper->next;
  Walk(document.get(), wrapper, pieces);
  return pieces;
}

}  // namespace gallery
