#ifndef GALLERY_HTML_ESCAPE_H_
#define GALLERY_HTML_ESCAPE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace gallery {

// `text` made safe for a page: "&", "<", ">" and the double quote become entities, and "%" is
// doubled, so that the text shows exactly as typed once its line has been written.
std::string EscapeHtml(std::string_view text);
// The size of `EscapeHtml(text)`, found without building it.
size_t EscapedHtmlSize(std::string_view text);

}  // namespace gallery

#endif  // GALLERY_HTML_ESCAPE_H_
