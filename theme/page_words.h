#ifndef GALLERY_THEME_PAGE_WORDS_H_
#define GALLERY_THEME_PAGE_WORDS_H_

#include <optional>
#include <string>
#include <string_view>

namespace gallery {

// The languages the modern pages are written in, by their code ("en", "de", "fr", "es", "it").
enum class PageLanguage { kEnglish, kGerman, kFrench, kSpanish, kItalian };

// The words of the modern pages in one language: plain text, to be escaped where they go.
struct CPageWords {
  std::string_view code;  // the value of the pages' `lang`
  std::string_view previous;
  std::string_view next;
  std::string_view index;
  std::string_view photos;      // the label of a photo page's steps, and the gallery's name
                                // when it has none
  std::string_view pages;       // the label of the index pages' page links
  std::string_view albums;      // the label of the path back up through the albums
  std::string_view photo;       // "Photo" before a photo's number, when it has no title
  std::string_view album;       // "Album" before an album's number, when it has no title
  std::string_view page;        // "page" before an index page's number in its title
  std::string_view no_photos;   // what an index page without photos says
  std::string_view view;        // the label of the viewer's buttons
  std::string_view start_slideshow;
  std::string_view pause_slideshow;
  std::string_view full_screen;
  std::string_view exit_full_screen;
  std::string_view download;    // the link to a photo's original file
  std::string_view video;       // what a video's thumbnail says it is, before its duration
  std::string_view duration;    // before a video's length on its page
  std::string_view download_video;  // the link a browser that plays no video shows instead
};

// The words of `language`.
const CPageWords& WordsOf(PageLanguage language);

// The language of a code as a person gives it: "de", "DE", "de-AT", "de_DE.UTF-8" and
// "de_DE@euro" are German. Nothing for a code of no language the pages are written in.
std::optional<PageLanguage> ParsePageLanguage(std::string_view code);

// The language of the user's locale from the values of LC_ALL, LC_MESSAGES and LANG (in that
// order, the first that is set and not empty decides): English when it is "C", "POSIX" or of
// no language the pages are written in.
PageLanguage LanguageOfLocale(std::string_view lc_all, std::string_view lc_messages,
                              std::string_view lang);

// "3 of 14" in `language`: photo `number` of `count`.
std::string NumberOfCount(PageLanguage language, int number, int count);

// "12 photos", "1 photo", "no photos" in `language`.
std::string PhotoCount(PageLanguage language, int count);

// A date taken as a camera records it ("YYYY:MM:DD HH:MM:SS", the time optional) written for
// people in `language`: "12 July 2024, 14:35", "12. Juli 2024, 14:35", "12 juillet 2024,
// 14:35", "12 de julio de 2024, 14:35", "12 luglio 2024, 14:35"; without a time, the day
// alone. Nothing when `date` holds no real date.
std::optional<std::string> FormatDateTaken(PageLanguage language, std::string_view date);

}  // namespace gallery

#endif  // GALLERY_THEME_PAGE_WORDS_H_
