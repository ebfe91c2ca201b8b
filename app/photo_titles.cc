#include "app/photo_titles.h"

#include <algorithm>
#include <array>
#include <optional>

#include "app/photo_folder.h"
#include "platform/photo_date.h"
#include "theme/page_words.h"

namespace gallery {
namespace {

// What cameras and phones put before a photo's number or date: makers' own prefixes, and those
// of phones and their apps.
constexpr std::array<std::string_view, 24> kCameraPrefixes = {
    "img", "dsc",  "dscn", "dscf", "pxl",  "vid",  "mvimg", "pano", "gopr", "gp", "gh",  "gx",
    "dji", "imag", "imgp", "cimg", "pict", "hpim", "sam",   "sdc",  "dcp",  "mg", "mvc", "burst"};

// Words that phones, editors and file managers add among or after those numbers: a messenger's
// mark, a burst's, a mode's, an editor's or a copy's.
constexpr std::array<std::string_view, 16> kCameraWords = {
    "wa",   "burst", "cover",  "hdr",     "mp",        "portrait", "night", "bokeh",
    "pano", "top",   "edited", "effects", "animation", "collage",  "copy",  "img"};

// Prefixes that count only before a date: a person may well call a photo "Photo 3".
constexpr std::array<std::string_view, 3> kDatedPrefixes = {"photo", "image", "signal"};

template <size_t kSize>
bool IsListed(std::string_view word, const std::array<std::string_view, kSize>& words) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

bool IsDigitByte(char c) { return c >= '0' && c <= '9'; }
bool IsLetterByte(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char LowerByte(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// A run of digits, or of letters (bytes of characters past ASCII count as letters, so that a
// word in any script is a word).
struct CNameToken {
  std::string text;  // letters in lower case
  bool digits = false;
};

// The file name without its extension, split into runs of digits and of letters; any other
// character parts them.
std::vector<CNameToken> SplitFileName(std::string_view name) {
  const size_t dot = name.find_last_of('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  std::vector<CNameToken> tokens;
  for (char c : name) {
    const bool digit = IsDigitByte(c);
    const bool letter = IsLetterByte(c) || static_cast<unsigned char>(c) >= 0x80;
    if (!digit && !letter) {
      if (!tokens.empty() && !tokens.back().text.empty()) tokens.push_back({});
      continue;
    }
    if (tokens.empty() || (!tokens.back().text.empty() && tokens.back().digits != digit)) {
      tokens.push_back({});
    }
    tokens.back().text += LowerByte(c);
    tokens.back().digits = digit;
  }
  if (!tokens.empty() && tokens.back().text.empty()) tokens.pop_back();
  return tokens;
}

// True when the tokens from `first` on are numbers and camera words (`extra` words too), the
// first of them a number.
template <size_t kSize>
bool IsNumberedTail(const std::vector<CNameToken>& tokens, size_t first,
                    const std::array<std::string_view, kSize>& extra) {
  if (first >= tokens.size() || !tokens[first].digits) return false;
  return std::all_of(tokens.begin() + static_cast<std::ptrdiff_t>(first), tokens.end(),
                     [&extra](const CNameToken& token) {
                       return token.digits || IsListed(token.text, kCameraWords) ||
                              IsListed(token.text, extra);
                     });
}

constexpr std::array<std::string_view, 0> kNoWords = {};
// A clock's words, as screenshots and messengers write their times.
constexpr std::array<std::string_view, 3> kClockWords = {"at", "am", "pm"};

// "P1010001", "PA120001", "L1000042": one letter (a month letter may follow) and a seven-digit
// number in all, as several makers count their photos.
bool IsLetterAndNumber(const std::vector<CNameToken>& tokens) {
  if (tokens.size() < 2 || tokens[0].digits || !tokens[1].digits) return false;
  const std::string& letters = tokens[0].text;
  const size_t digits = tokens[1].text.size();
  const bool one_letter =
      letters.size() == 1 && (letters == "p" || letters == "l" || letters == "r") && digits == 7;
  const bool month_letter = letters.size() == 2 && letters[0] == 'p' && letters[1] >= 'a' &&
                            letters[1] <= 'c' && digits == 6;
  return (one_letter || month_letter) && IsNumberedTail(tokens, 1, kNoWords);
}

// A date at `first`: "20240712" or "2024" then two more numbers, as a year begins with 19 or 20.
bool StartsWithDate(const std::vector<CNameToken>& tokens, size_t first) {
  if (first >= tokens.size() || !tokens[first].digits) return false;
  const std::string& number = tokens[first].text;
  const bool year =
      number.size() >= 4 && (number.compare(0, 2, "19") == 0 || number.compare(0, 2, "20") == 0);
  if (!year) return false;
  if (number.size() >= 8) return true;
  return number.size() == 4 && first + 2 < tokens.size() && tokens[first + 1].digits &&
         tokens[first + 2].digits;
}

// "Screenshot_20240712-143501_Chrome", "Screenshot from 2024-07-12 14-35-01", "Screen Shot
// 2019-07-12 at 2.35.01 PM", "Screenshot (12)": numbers and a clock's words, and once a date
// and a time are there, the app's name.
bool IsScreenshotName(const std::vector<CNameToken>& tokens) {
  size_t next = 0;
  if (tokens.size() >= 2 && tokens[0].text == "screen" && tokens[1].text == "shot") {
    next = 2;
  } else if (!tokens.empty() && tokens[0].text == "screenshot") {
    next = 1;
  } else {
    return false;
  }
  if (next < tokens.size() && tokens[next].text == "from") ++next;
  if (next >= tokens.size() || !tokens[next].digits) return false;
  int numbers = 0;
  for (; next < tokens.size(); ++next) {
    const CNameToken& token = tokens[next];
    if (token.digits) {
      ++numbers;
    } else if (!IsListed(token.text, kClockWords) && !IsListed(token.text, kCameraWords) &&
               numbers < 2) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool IsCameraFileName(std::string_view name) {
  const std::vector<CNameToken> tokens = SplitFileName(name);
  if (tokens.empty()) return false;
  // Numbers alone: a date and time, a counter.
  if (tokens[0].digits) return IsNumberedTail(tokens, 0, kNoWords);
  const std::string& first = tokens[0].text;
  if (IsListed(first, kCameraPrefixes)) {
    // An edited photo of a phone is "IMG_E0042".
    const size_t number = tokens.size() > 2 && first == "img" && tokens[1].text == "e" ? 2 : 1;
    return IsNumberedTail(tokens, number, kNoWords);
  }
  if (IsListed(first, kDatedPrefixes)) {
    return StartsWithDate(tokens, 1) && IsNumberedTail(tokens, 1, kClockWords);
  }
  if (first == "whatsapp" && tokens.size() > 1 &&
      (tokens[1].text == "image" || tokens[1].text == "video")) {
    return IsNumberedTail(tokens, 2, kClockWords);
  }
  return IsLetterAndNumber(tokens) || IsScreenshotName(tokens);
}

std::string ChooseTitle(TitleSource source, std::string_view name, const std::string& date_taken,
                        PageLanguage language) {
  switch (source) {
    case TitleSource::kChosen:
      if (IsCameraFileName(name)) return FormatDateTaken(language, date_taken).value_or("");
      break;
    case TitleSource::kNames:
      break;
    case TitleSource::kDates:
      return FormatDateTaken(language, date_taken).value_or("");
    case TitleSource::kNone:
      return "";
  }
  return TitleFromFileName(MendText(name));
}

void TitlePhotos(std::vector<CFolderPhoto>& photos, TitleSource source, PageLanguage language) {
  for (CFolderPhoto& photo : photos) {
    const bool dated = source == TitleSource::kDates ||
                       (source == TitleSource::kChosen && IsCameraFileName(photo.name));
    // A video's date is not read: the imaging library decodes no video.
    if (dated && photo.date_taken.empty() && !photo.video) {
      photo.date_taken = ReadPhotoDateTaken(photo.path).value_or("");
    }
    photo.title = TitleAsHtml(ChooseTitle(source, photo.name, photo.date_taken, language));
  }
}

}  // namespace gallery
