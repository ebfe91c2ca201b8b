#include "theme/page_words.h"

#include <array>
#include <cctype>

namespace gallery {
namespace {

constexpr CPageWords kEnglish{"en",
                              "Previous",
                              "Next",
                              "Index",
                              "Photos",
                              "Pages",
                              "Albums",
                              "Photo",
                              "Album",
                              "page",
                              "No photos",
                              "View",
                              "Start slideshow",
                              "Pause slideshow",
                              "Full screen",
                              "Exit full screen",
                              "Download original",
                              "Video",
                              "Duration",
                              "Download the video"};
constexpr CPageWords kGerman{"de",
                             "Zurück",
                             "Weiter",
                             "Übersicht",
                             "Fotos",
                             "Seiten",
                             "Alben",
                             "Foto",
                             "Album",
                             "Seite",
                             "Keine Fotos",
                             "Ansicht",
                             "Diashow starten",
                             "Diashow anhalten",
                             "Vollbild",
                             "Vollbild beenden",
                             "Original herunterladen",
                             "Video",
                             "Dauer",
                             "Video herunterladen"};
constexpr CPageWords kFrench{"fr",
                             "Précédente",
                             "Suivante",
                             "Index",
                             "Photos",
                             "Pages",
                             "Albums",
                             "Photo",
                             "Album",
                             "page",
                             "Aucune photo",
                             "Affichage",
                             "Lancer le diaporama",
                             "Mettre le diaporama en pause",
                             "Plein écran",
                             "Quitter le plein écran",
                             "Télécharger l’original",
                             "Vidéo",
                             "Durée",
                             "Télécharger la vidéo"};
constexpr CPageWords kSpanish{"es",
                              "Anterior",
                              "Siguiente",
                              "Índice",
                              "Fotos",
                              "Páginas",
                              "Álbumes",
                              "Foto",
                              "Álbum",
                              "página",
                              "Ninguna foto",
                              "Vista",
                              "Iniciar presentación",
                              "Pausar presentación",
                              "Pantalla completa",
                              "Salir de pantalla completa",
                              "Descargar el original",
                              "Vídeo",
                              "Duración",
                              "Descargar el vídeo"};
constexpr CPageWords kItalian{"it",
                              "Precedente",
                              "Successiva",
                              "Indice",
                              "Foto",
                              "Pagine",
                              "Album",
                              "Foto",
                              "Album",
                              "pagina",
                              "Nessuna foto",
                              "Visualizzazione",
                              "Avvia presentazione",
                              "Metti in pausa la presentazione",
                              "Schermo intero",
                              "Esci da schermo intero",
                              "Scarica l’originale",
                              "Video",
                              "Durata",
                              "Scarica il video"};

using MonthNames = std::array<std::string_view, 12>;
constexpr MonthNames kEnglishMonths{"January", "February", "March",     "April",
                                    "May",     "June",     "July",      "August",
                                    "September", "October", "November", "December"};
constexpr MonthNames kGermanMonths{"Januar", "Februar", "März",      "April",
                                   "Mai",    "Juni",    "Juli",      "August",
                                   "September", "Oktober", "November", "Dezember"};
constexpr MonthNames kFrenchMonths{"janvier", "février", "mars",      "avril",
                                   "mai",     "juin",    "juillet",   "août",
                                   "septembre", "octobre", "novembre", "décembre"};
constexpr MonthNames kSpanishMonths{"enero", "febrero", "marzo",      "abril",
                                    "mayo",  "junio",   "julio",      "agosto",
                                    "septiembre", "octubre", "noviembre", "diciembre"};
constexpr MonthNames kItalianMonths{"gennaio", "febbraio", "marzo",     "aprile",
                                    "maggio",  "giugno",   "luglio",    "agosto",
                                    "settembre", "ottobre", "novembre", "dicembre"};

const MonthNames& MonthsOf(PageLanguage language) {
  switch (language) {
    case PageLanguage::kGerman: return kGermanMonths;
    case PageLanguage::kFrench: return kFrenchMonths;
    case PageLanguage::kSpanish: return kSpanishMonths;
    case PageLanguage::kItalian: return kItalianMonths;
    case PageLanguage::kEnglish: break;
  }
  return kEnglishMonths;
}

// The number of `digits` digits at `at` in `text`, or -1.
int ReadDigits(std::string_view text, size_t at, size_t digits) {
  if (at + digits > text.size()) return -1;
  int value = 0;
  for (size_t i = at; i < at + digits; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::string TwoDigits(int value) {
  return std::string(1, static_cast<char>('0' + value / 10)) +
         static_cast<char>('0' + value % 10);
}

}  // namespace

const CPageWords& WordsOf(PageLanguage language) {
  switch (language) {
    case PageLanguage::kGerman: return kGerman;
    case PageLanguage::kFrench: return kFrench;
    case PageLanguage::kSpanish: return kSpanish;
    case PageLanguage::kItalian: return kItalian;
    case PageLanguage::kEnglish: break;
  }
  return kEnglish;
}

std::optional<PageLanguage> ParsePageLanguage(std::string_view code) {
  // The language is what comes before a territory, a code set or a modifier.
  const size_t end = code.find_first_of("-_.@");
  const std::string_view language = code.substr(0, end);
  if (language.size() != 2) return std::nullopt;
  const std::string lower{static_cast<char>(std::tolower(static_cast<unsigned char>(language[0]))),
                          static_cast<char>(std::tolower(static_cast<unsigned char>(language[1])))};
  for (PageLanguage candidate : {PageLanguage::kEnglish, PageLanguage::kGerman,
                                 PageLanguage::kFrench, PageLanguage::kSpanish,
                                 PageLanguage::kItalian}) {
    if (WordsOf(candidate).code == lower) return candidate;
  }
  return std::nullopt;
}

PageLanguage LanguageOfLocale(std::string_view lc_all, std::string_view lc_messages,
                              std::string_view lang) {
  for (std::string_view value : {lc_all, lc_messages, lang}) {
    if (value.empty()) continue;
    return ParsePageLanguage(value).value_or(PageLanguage::kEnglish);
  }
  return PageLanguage::kEnglish;
}

std::string NumberOfCount(PageLanguage language, int number, int count) {
  static constexpr std::array<std::string_view, 5> kOf{" of ", " von ", " sur ", " de ", " di "};
  return std::to_string(number) + std::string(kOf[static_cast<size_t>(language)]) +
         std::to_string(count);
}

std::string PhotoCount(PageLanguage language, int count) {
  struct Forms {
    std::string_view none, one, many;
  };
  static constexpr std::array<Forms, 5> kForms{
      Forms{"no photos", "1 photo", " photos"}, Forms{"keine Fotos", "1 Foto", " Fotos"},
      Forms{"aucune photo", "1 photo", " photos"}, Forms{"ninguna foto", "1 foto", " fotos"},
      Forms{"nessuna foto", "1 foto", " foto"}};
  const Forms& forms = kForms[static_cast<size_t>(language)];
  if (count == 0) return std::string(forms.none);
  if (count == 1) return std::string(forms.one);
  return std::to_string(count) + std::string(forms.many);
}

std::optional<std::string> FormatDateTaken(PageLanguage language, std::string_view date) {
  const int year = ReadDigits(date, 0, 4);
  const int month = ReadDigits(date, 5, 2);
  const int day = ReadDigits(date, 8, 2);
  if (date.size() < 10 || date[4] != ':' || date[7] != ':' || year < 1 || month < 1 ||
      month > 12 || day < 1 || day > DaysInMonth(year, month)) {
    return std::nullopt;
  }
  const std::string month_name(MonthsOf(language)[month - 1]);
  const std::string number = std::to_string(day);
  std::string text;
  switch (language) {
    case PageLanguage::kGerman: text = number + ". " + month_name + " "; break;
    case PageLanguage::kSpanish: text = number + " de " + month_name + " de "; break;
    default: text = number + " " + month_name + " "; break;
  }
  text += std::to_string(year);
  const int hour = ReadDigits(date, 11, 2);
  const int minute = ReadDigits(date, 14, 2);
  if (date.size() >= 16 && date[10] == ' ' && date[13] == ':' && hour >= 0 && hour < 24 &&
      minute >= 0 && minute < 60) {
    text += ", " + TwoDigits(hour) + ":" + TwoDigits(minute);
  }
  return text;
}

}  // namespace gallery
