#include "platform/xml_document.h"

#include <unistd.h>

#include <cerrno>
#include <climits>

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlstring.h>

#include "platform/xml_handles.h"
#include "platform/xml_library.h"

namespace gallery {
namespace {

const xmlChar* AsXmlText(const std::string& text) {
  return reinterpret_cast<const xmlChar*>(text.c_str());
}

// True when a name as written, "prefix:local" or "local", is `name`.
bool IsQualifiedName(const xmlChar* local_name, const xmlNs* ns, std::string_view name) {
  if (local_name == nullptr) return false;
  const char* prefix =
      ns == nullptr || ns->prefix == nullptr ? "" : reinterpret_cast<const char*>(ns->prefix);
  return IsWrittenName(prefix, reinterpret_cast<const char*>(local_name), name);
}

bool IsElementNamed(const xmlNode* node, std::string_view name) {
  return node != nullptr && node->type == XML_ELEMENT_NODE &&
         IsQualifiedName(node->name, node->ns, name);
}

bool IsXmlName(const std::string& name) {
  return !name.empty() && xmlValidateName(AsXmlText(name), 0) == 0;
}

// Where `XmlDocument::WriteTo` sends the bytes libxml2 makes.
struct DescriptorOutput {
  int descriptor = -1;
  bool failed = false;
};

int WriteToDescriptor(void* context, const char* bytes, int size) {
  auto* output = static_cast<DescriptorOutput*>(context);
  int done = 0;
  while (done < size) {
    const ssize_t written =
        write(output->descriptor, bytes + done, static_cast<size_t>(size - done));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      output->failed = true;
      return -1;
    }
    done += static_cast<int>(written);
  }
  return size;
}

}  // namespace

void XmlDocumentFree::operator()(_xmlDoc* doc) const { xmlFreeDoc(doc); }

XmlElement XmlElement::FirstChild(std::string_view name) const {
  if (node_ == nullptr) return XmlElement();
  for (xmlNode* child = node_->children; child != nullptr; child = child->next) {
    if (IsElementNamed(child, name)) return XmlElement(child);
  }
  return XmlElement();
}

std::vector<XmlElement> XmlElement::Children(std::string_view name) const {
  std::vector<XmlElement> children;
  if (node_ == nullptr) return children;
  for (xmlNode* child = node_->children; child != nullptr; child = child->next) {
    if (IsElementNamed(child, name)) children.push_back(XmlElement(child));
  }
  return children;
}

std::vector<XmlElement> XmlElement::Children(std::initializer_list<std::string_view> names) const {
  std::vector<XmlElement> children;
  if (node_ == nullptr) return children;
  for (xmlNode* child = node_->children; child != nullptr; child = child->next) {
    for (std::string_view name : names) {
      if (IsElementNamed(child, name)) {
        children.push_back(XmlElement(child));
        break;
      }
    }
  }
  return children;
}

bool XmlElement::IsNamed(std::string_view name) const { return IsElementNamed(node_, name); }

std::optional<std::string> XmlElement::Attribute(std::string_view name) const {
  if (node_ == nullptr) return std::nullopt;
  for (xmlAttr* attribute = node_->properties; attribute != nullptr; attribute = attribute->next) {
    if (!IsQualifiedName(attribute->name, attribute->ns, name)) continue;
    if (attribute->children == nullptr) return std::string();
    // The value may be split into text and entity reference nodes; in-line mode replaces each
    // reference by the text of its entity.
    UniqueXmlText value(xmlNodeListGetString(node_->doc, attribute->children, 1));
    if (value == nullptr) return std::string();
    return std::string(reinterpret_cast<const char*>(value.get()));
  }
  return std::nullopt;
}

bool XmlElement::SetAttribute(std::string_view name, std::string_view value) {
  if (node_ == nullptr) return false;
  const std::string name_text(name);
  const std::string value_text(value);
  if (!IsXmlName(name_text) || value_text.find('\0') != std::string::npos ||
      value_text.size() > INT_MAX || xmlCheckUTF8(AsXmlText(value_text)) == 0) {
    return false;
  }
  // xmlSetProp stores the value as plain text, so "&" or "<" in it stay characters.
  return xmlSetProp(node_, AsXmlText(name_text), AsXmlText(value_text)) != nullptr;
}

XmlElement XmlElement::AppendChild(std::string_view name) {
  if (node_ == nullptr) return XmlElement();
  const std::string name_text(name);
  if (!IsXmlName(name_text)) return XmlElement();
  xmlNode* child = xmlNewDocNode(node_->doc, nullptr, AsXmlText(name_text), nullptr);
  if (child == nullptr) return XmlElement();
  if (xmlAddChild(node_, child) == nullptr) {
    xmlFreeNode(child);
    return XmlElement();
  }
  return XmlElement(child);
}

std::optional<XmlDocument> XmlDocument::CreateEmpty() {
  InitialiseXmlLibrary();
  xmlDoc* doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
  if (doc == nullptr) return std::nullopt;
  return XmlDocument(doc);
}

XmlElement XmlDocument::Root(std::string_view name) const {
  if (doc_ == nullptr) return XmlElement();
  xmlNode* root = xmlDocGetRootElement(doc_.get());
  return IsElementNamed(root, name) ? XmlElement(root) : XmlElement();
}

XmlElement XmlDocument::SetRoot(std::string_view name) {
  if (doc_ == nullptr || xmlDocGetRootElement(doc_.get()) != nullptr) return XmlElement();
  const std::string name_text(name);
  if (!IsXmlName(name_text)) return XmlElement();
  xmlNode* root = xmlNewDocNode(doc_.get(), nullptr, AsXmlText(name_text), nullptr);
  if (root == nullptr) return XmlElement();
  xmlDocSetRootElement(doc_.get(), root);
  return XmlElement(root);
}

std::optional<std::string> XmlDocument::Serialize() const {
  if (doc_ == nullptr) return std::nullopt;
  bool failed = false;
  XmlThreadReports reports(failed);
  xmlChar* buffer = nullptr;
  int size = 0;
  xmlDocDumpFormatMemoryEnc(doc_.get(), &buffer, &size, "UTF-8", 1);
  UniqueXmlText owned(buffer);
  if (owned == nullptr || size < 0 || failed) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(owned.get()), static_cast<size_t>(size));
}

bool XmlDocument::WriteTo(int descriptor) const {
  if (doc_ == nullptr) return false;
  bool failed = false;
  XmlThreadReports reports(failed);
  // The same encoder and the same dump as `Serialize`, so the bytes are the same; they go out in
  // the output buffer's small pieces instead of one text that grows to the whole document.
  xmlCharEncodingHandler* encoder = xmlFindCharEncodingHandler("UTF-8");
  if (encoder == nullptr) return false;
  DescriptorOutput output;
  output.descriptor = descriptor;
  xmlOutputBuffer* buffer = xmlOutputBufferCreateIO(WriteToDescriptor, nullptr, &output, encoder);
  if (buffer == nullptr) return false;
  // Closes the buffer, whatever the outcome.
  const int written = xmlSaveFormatFileTo(buffer, doc_.get(), "UTF-8", 1);
  return written >= 0 && !output.failed && !failed;
}

}  // namespace gallery
