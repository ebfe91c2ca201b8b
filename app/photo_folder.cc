#include "app/photo_folder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <tuple>

#include "collection/collection_document.h"
#include "collection/style_settings.h"
#include "platform/collation.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/photo_date.h"

namespace gallery {
namespace {

constexpr std::array<std::string_view, 13> kPhotoExtensions = {
    "jpg",  "jpeg", "jpe",  "png",  "gif", "tif", "tiff",
    "webp", "heic", "heif", "avif", "bmp", "jfif"};

constexpr std::array<std::string_view, 4> kVideoExtensions = {"mp4", "mov", "m4v", "webm"};

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Extension(std::string_view name) {
  size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  return name.substr(dot + 1);
}

// The length of the valid UTF-8 character at the start of `text`, or 0 when there is none.
// Overlong forms, surrogates and values past U+10FFFF are not valid.
size_t Utf8CharacterSize(std::string_view text) {
  const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  size_t size = lead >= 0xC2 && lead <= 0xDF   ? 2
                : lead >= 0xE0 && lead <= 0xEF ? 3
                : lead >= 0xF0 && lead <= 0xF4 ? 4
                                               : 0;
  if (size == 0 || text.size() < size) return 0;
  for (size_t i = 1; i < size; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
  }
  const unsigned char second = byte(1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
    return 0;
  }
  return size;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

}  // namespace

std::string MendText(std::string_view text) {
  std::string mended;
  for (size_t i = 0; i < text.size();) {
    const size_t size = Utf8CharacterSize(text.substr(i));
    if (size == 0) {
      mended += "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    if (size > 1 || !IsControl(static_cast<unsigned char>(text[i]))) {
      mended.append(text, i, size);
    }
    i += size;
  }
  return mended;
}

TextFault FindTextFault(std::string_view text) {
  TextFault fault = TextFault::kNone;
  for (size_t i = 0; i < text.size();) {
    const size_t size = Utf8CharacterSize(text.substr(i));
    if (size == 0) return TextFault::kNotUtf8;
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') fault = TextFault::kControlCharacter;
    i += size;
  }
  return fault;
}

bool IsCollectionText(std::string_view text) { return FindTextFault(text) == TextFault::kNone; }

std::string EscapeForTerminal(std::string_view text) {
  std::string escaped;
  for (size_t i = 0; i < text.size();) {
    const size_t size = Utf8CharacterSize(text.substr(i));
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (size == 0 || (size == 1 && IsControl(c))) {
      constexpr char kDigits[] = "0123456789ABCDEF";
      escaped += "\\x";
      escaped += kDigits[c >> 4];
      escaped += kDigits[c & 0xF];
      ++i;
      continue;
    }
    if (c == '\\') escaped += '\\';
    escaped.append(text, i, size);
    i += size;
  }
  return escaped;
}

std::string TitleAsHtml(std::string_view text) {
  std::string html;
  for (char c : text) {
    switch (c) {
      case '&':
        html += "&amp;";
        break;
      case '<':
        html += "&lt;";
        break;
      case '>':
        html += "&gt;";
        break;
      case '"':
        html += "&quot;";
        break;
      case '\'':
        html += "&#39;";
        break;
      case '%':
        // Pages collapse "%%" to "%" and fill in "%%Name%%" placeholders after titles are in.
        html += "&#37;";
        break;
      default:
        html += c;
    }
  }
  return html;
}

namespace {

template <size_t kSize>
bool HasListedExtension(std::string_view name, const std::array<std::string_view, kSize>& list) {
  if (name.empty() || name.front() == '.') return false;
  std::string extension(Extension(name));
  std::transform(extension.begin(), extension.end(), extension.begin(), Lower);
  return std::find(list.begin(), list.end(), extension) != list.end();
}

}  // namespace

bool IsPhotoFileName(std::string_view name) { return HasListedExtension(name, kPhotoExtensions); }

bool IsVideoFileName(std::string_view name) { return HasListedExtension(name, kVideoExtensions); }

std::string TitleFromFileName(std::string_view name) {
  std::string_view stem = name;
  if (!Extension(name).empty()) stem = name.substr(0, name.find_last_of('.'));
  std::string title;
  size_t lower_run = 0;
  for (char c : stem) {
    // "FreshFlower" reads as two words; a single lower-case letter before a capital, as in
    // "iPhone", is one.
    bool upper = c >= 'A' && c <= 'Z';
    if (upper && lower_run >= 2) title += ' ';
    lower_run = c >= 'a' && c <= 'z' ? lower_run + 1 : 0;
    char d = c == '_' || c == '-' ? ' ' : c;
    if (IsBlank(d) && (title.empty() || title.back() == ' ')) continue;
    title += IsBlank(d) ? ' ' : d;
  }
  while (!title.empty() && title.back() == ' ') title.pop_back();
  return title.empty() ? std::string(name) : title;
}

bool NaturalLess(std::string_view left, std::string_view right) {
  // The rules shared by the languages written in Latin letters, which put accented letters
  // beside the plain ones.
  static const CCollator collator("und");
  return collator.Less(left, right);
}

void SortPhotos(std::vector<CFolderPhoto>& photos, PhotoOrder order) {
  std::stable_sort(photos.begin(), photos.end(),
                   [order](const CFolderPhoto& left, const CFolderPhoto& right) {
                     if (order == PhotoOrder::kDate) {
                       bool left_undated = left.date_taken.empty();
                       bool right_undated = right.date_taken.empty();
                       if (std::tie(left_undated, left.date_taken) !=
                           std::tie(right_undated, right.date_taken)) {
                         return std::tie(left_undated, left.date_taken) <
                                std::tie(right_undated, right.date_taken);
                       }
                     }
                     return NaturalLess(left.name, right.name);
                   });
}

std::optional<CFolderScan> ScanPhotoFolder(const std::string& folder, PhotoOrder order) {
  std::optional<std::vector<std::string>> names = ListFolder(folder);
  if (!names) return std::nullopt;
  const std::string base = AbsolutePath(folder);
  CFolderScan scan;
  for (const std::string& name : *names) {
    const bool video = IsVideoFileName(name);
    if (!video && !IsPhotoFileName(name)) continue;
    std::string path = base == "/" ? "/" + name : base + "/" + name;
    if (GetPathKind(path) != PathKind::kFile) {
      scan.skipped.push_back({path, "not a regular file (a folder, or a broken link)"});
    } else if (name.find('\\') != std::string::npos) {
      // Collection paths treat "\" as a folder separator, so this name cannot be stored.
      scan.skipped.push_back({path, "its name holds a backslash, which collection paths cannot"});
    } else if (!IsCollectionText(path)) {
      // Collection files are XML, which holds neither such bytes nor such characters.
      scan.skipped.push_back({path,
                              "its name is not valid UTF-8 text or holds control characters, "
                              "which collection paths cannot; rename it"});
    } else if (!IsReadableFile(path)) {
      scan.skipped.push_back({path, "cannot be read (no permission)"});
    } else {
      const std::string readable = MendText(name);
      if (readable != name) scan.mended.push_back(path);
      CFolderPhoto photo{path, name, TitleAsHtml(TitleFromFileName(readable)), "", video};
      if (order == PhotoOrder::kDate && !video)
        photo.date_taken = ReadPhotoDateTaken(path).value_or("");
      scan.photos.push_back(std::move(photo));
    }
  }
  SortPhotos(scan.photos, order);
  std::sort(scan.skipped.begin(), scan.skipped.end(),
            [](const CSkippedFile& left, const CSkippedFile& right) {
              return NaturalLess(left.path, right.path);
            });
  return scan;
}

std::optional<std::string> RenderCollection(const std::string& title,
                                            const std::string& description,
                                            const std::vector<CFolderPhoto>& photos,
                                            const CStyleSettings& style) {
  CCollectionDocument document;
  if (!document.Create() || !document.BeginCollection(title, description)) return std::nullopt;
  for (const CFolderPhoto& photo : photos) {
    if (!(photo.video ? document.AddVideo() : document.AddPhoto()) ||
        !document.SetPhotoAttribute("path", photo.path) ||
        !document.SetPhotoAttribute("title", photo.title)) {
      return std::nullopt;
    }
  }
  if (!WriteStyle(document, style)) return std::nullopt;
  return document.SaveText();
}

}  // namespace gallery
