#include "theme/page_frame.h"

#include <utility>

#include <string>
#include <string_view>

#include "theme/contrast.h"
#include "theme/modern_model.h"
#include "theme/page_words.h"
#include "theme/plain_text.h"

namespace gallery {
namespace {

// The class of the body that gives photos their frame in the stylesheet, with a space before it;
// empty for none.
std::string_view FrameClass(ModernFrame kind) {
  switch (kind) {
    case ModernFrame::kLine:
      return " frame-line";
    case ModernFrame::kShadow:
      return " frame-shadow";
    case ModernFrame::kNone:
      break;
  }
  return {};
}

// The colours as custom properties for the fixed stylesheet, and the font. Text colours that
// would be hard to read on their background are replaced by black or white; the frame is no
// text and keeps its colour. The font list is escaped for CSS alone: every character that could
// end the <style> element is escaped with the rest.
std::string RenderThemeStyle(const CModernGallery& gallery) {
  const CModernColors& colors = gallery.colors;
  const int background = colors.background & 0xFFFFFF;
  const int card = colors.card & 0xFFFFFF;
  std::string style = "<style>:root{--bg:" + CssColor(background) +
                      ";--fg:" + CssColor(ReadableTextColor(colors.text, background)) +
                      ";--card:" + CssColor(card) +
                      ";--card-fg:" + CssColor(ReadableTextColor(colors.text, card));
  if (gallery.frame.kind != ModernFrame::kNone) {
    style += ";--frame:" + CssColor(gallery.frame.color);
  }
  style += "}body{font-family:" + CssFontFamily(gallery.font_name) + "}</style>\n";
  return style;
}

}  // namespace

std::string PlainTextOr(std::string_view html, std::string_view fallback) {
  std::string text = PlainTextFromHtml(html);
  if (text.empty()) text = fallback;
  return text;
}

std::string TextOr(std::string_view text, std::string_view fallback) {
  std::string folded;
  for (char c : text) {
    const bool blank = c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
    if (!blank) {
      folded += c;
    } else if (!folded.empty() && folded.back() != ' ') {
      folded += ' ';
    }
  }
  if (!folded.empty() && folded.back() == ' ') folded.pop_back();
  return folded.empty() ? std::string(fallback) : folded;
}

std::string RenderPageStart(const CModernGallery& gallery, const CPageFrame& frame) {
  const CPageWords& words = WordsOf(gallery.language);
  std::string page = "<!doctype html>\n<html lang=\"" + std::string(words.code) +
                     "\">\n"
                     "<head>\n"
      "<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  page += "<title>" + EscapeHtmlText(frame.title) + "</title>\n";
  page += "<meta name=\"description\" content=\"" + EscapeHtmlText(frame.description) + "\">\n";
  page +=
      "<link rel=\"icon\" href=\"data:,\">\n";
  page += "<link rel=\"stylesheet\" href=\"" + frame.stylesheet + "\">\n";
  page += frame.head_links;
  page += RenderThemeStyle(gallery);
  page += "<script src=\"" + frame.script + "\" defer></script>\n";
  page += "</head>\n<body class=\"";
  page += frame.body_class;
  page += FrameClass(gallery.frame.kind);
  page += frame.swipe ? "\" data-swipe" : "\"";
  if (gallery.language != PageLanguage::kEnglish) {
    // The words of the controls that the script makes; it has the English ones itself.
    for (const auto& [name, word] : {std::pair{"view", words.view},
                                     std::pair{"start-slideshow", words.start_slideshow},
                                     std::pair{"pause-slideshow", words.pause_slideshow},
                                     std::pair{"full-screen", words.full_screen},
                                     std::pair{"exit-full-screen", words.exit_full_screen}}) {
      page += " data-word-" + std::string(name) + "=\"" + EscapeHtmlText(word) + "\"";
    }
  }
  page += ">\n";
  return page;
}

std::string_view PageEnd() { return "</body>\n</html>\n"; }

}  // namespace gallery
