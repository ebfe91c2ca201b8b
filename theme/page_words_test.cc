#include "theme/page_words.h"

#include <gtest/gtest.h>

namespace gallery {
namespace {

TEST(PageWordsTest, DatesAreWrittenAsEachLanguageWritesThem) {
  struct Case {
    PageLanguage language;
    const char* date;
    const char* written;
  };
  for (const Case& c : {
           Case{PageLanguage::kEnglish, "2024:07:12 14:35:01", "12 July 2024, 14:35"},
           Case{PageLanguage::kGerman, "2024:07:12 14:35:01", "12. Juli 2024, 14:35"},
           Case{PageLanguage::kFrench, "2024:02:29 09:05:00", "29 février 2024, 09:05"},
           Case{PageLanguage::kSpanish, "2024:07:01 23:59:59", "1 de julio de 2024, 23:59"},
           Case{PageLanguage::kItalian, "1999:12:31 00:00:00", "31 dicembre 1999, 00:00"},
           // A date without a time, or with a time that is none, gives the day alone.
           Case{PageLanguage::kEnglish, "2024:07:12", "12 July 2024"},
           Case{PageLanguage::kEnglish, "2024:07:12 25:61:00", "12 July 2024"},
       }) {
    EXPECT_EQ(FormatDateTaken(c.language, c.date), c.written) << c.date;
  }
}

TEST(PageWordsTest, WhatIsNoRealDateGivesNone) {
  // Cameras whose clock was never set write zeros or blanks.
  for (const char* date : {"0000:00:00 00:00:00", "    :  :     :  :  ", "2023:02:29 10:00:00",
                           "2024:13:01 10:00:00", "2024-07-12 10:00:00", "2024:07", ""}) {
    EXPECT_EQ(FormatDateTaken(PageLanguage::kEnglish, date), std::nullopt) << date;
  }
}

TEST(PageWordsTest, LanguagesAreReadFromCodesAndLocales) {
  EXPECT_EQ(ParsePageLanguage("de"), PageLanguage::kGerman);
  EXPECT_EQ(ParsePageLanguage("FR"), PageLanguage::kFrench);
  EXPECT_EQ(ParsePageLanguage("es-MX"), PageLanguage::kSpanish);
  EXPECT_EQ(ParsePageLanguage("it_IT.UTF-8"), PageLanguage::kItalian);
  EXPECT_EQ(ParsePageLanguage("de_DE@euro"), PageLanguage::kGerman);
  EXPECT_EQ(ParsePageLanguage("nl"), std::nullopt);
  EXPECT_EQ(ParsePageLanguage("deu"), std::nullopt);
  EXPECT_EQ(ParsePageLanguage(""), std::nullopt);

  // The first variable that is set decides, even for a language the pages lack.
  EXPECT_EQ(LanguageOfLocale("", "fr_FR.UTF-8", "de_DE.UTF-8"), PageLanguage::kFrench);
  EXPECT_EQ(LanguageOfLocale("C", "fr_FR.UTF-8", ""), PageLanguage::kEnglish);
  EXPECT_EQ(LanguageOfLocale("", "", "nl_NL.UTF-8"), PageLanguage::kEnglish);
  EXPECT_EQ(LanguageOfLocale("", "", ""), PageLanguage::kEnglish);
  EXPECT_EQ(LanguageOfLocale("", "", "C.UTF-8"), PageLanguage::kEnglish);
}

TEST(PageWordsTest, CountsAgreeWithTheirNumber) {
  EXPECT_EQ(PhotoCount(PageLanguage::kEnglish, 0), "no photos");
  EXPECT_EQ(PhotoCount(PageLanguage::kEnglish, 1), "1 photo");
  EXPECT_EQ(PhotoCount(PageLanguage::kEnglish, 12), "12 photos");
  EXPECT_EQ(PhotoCount(PageLanguage::kItalian, 12), "12 foto");
  EXPECT_EQ(NumberOfCount(PageLanguage::kEnglish, 3, 14), "3 of 14");
  EXPECT_EQ(NumberOfCount(PageLanguage::kGerman, 3, 14), "3 von 14");
  // Every language has every word, so no page shows an empty label.
  for (PageLanguage language : {PageLanguage::kEnglish, PageLanguage::kGerman,
                                PageLanguage::kFrench, PageLanguage::kSpanish,
                                PageLanguage::kItalian}) {
    const CPageWords& words = WordsOf(language);
    for (std::string_view word :
         {words.code, words.previous, words.next, words.index, words.photos, words.pages,
          words.albums, words.photo, words.album, words.page, words.no_photos, words.view,
          words.start_slideshow, words.pause_slideshow, words.full_screen,
          words.exit_full_screen, words.download}) {
      EXPECT_FALSE(word.empty()) << words.code;
    }
    EXPECT_EQ(ParsePageLanguage(words.code), language);
  }
}

}  // namespace
}  // namespace gallery
