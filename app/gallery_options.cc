#include "app/gallery_options.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>
#include <utility>

#include "app/theme_options.h"

namespace gallery {
namespace {

// Stores an option's value; an error text when the value makes no sense, else empty.
using OptionSetter = std::string (*)(CCliOptions& options, const std::string& value);

// One option as typed, shown in the help and stored.
struct COptionRule {
  std::string_view long_name;
  char short_name;              // 0 when there is none
  std::string_view value_name;  // empty for a switch, which takes no value
  std::string_view help;        // its lines in the help text; empty to accept it unlisted
  OptionSetter set;
};

std::string SetHelp(CCliOptions& options, const std::string&) {
  options.help = true;
  return "";
}

std::string SetVersion(CCliOptions& options, const std::string&) {
  options.version = true;
  return "";
}

std::string SetThumbnails(CCliOptions& options, const std::string&) {
  options.thumbnails = true;
  return "";
}

std::string SetNoThumbnails(CCliOptions& options, const std::string&) {
  options.thumbnails = false;
  return "";
}

std::string SetNoCache(CCliOptions& options, const std::string&) {
  options.use_cache = false;
  return "";
}

std::string SetQuiet(CCliOptions& options, const std::string&) {
  options.quiet = true;
  return "";
}

std::string SetOutput(CCliOptions& options, const std::string& value) {
  // The output collection file is written into OUTDIR and nowhere else, so the name may not
  // climb out of it or reach into a subfolder.
  if (value.empty() || value == "." || value == ".." ||
      value.find_first_of("/\\") != std::string::npos) {
    return "--output takes a file name inside OUTDIR, without any folder: '" + value + "'";
  }
  // A web server may read a hidden file of the published folder as its own settings.
  if (value.front() == '.') {
    return "--output takes a file name that does not begin with '.': '" + value + "'";
  }
  options.output_name = value;
  options.output_given = true;
  return "";
}

std::string SetCollection(CCliOptions& options, const std::string& value) {
  if (value.empty()) return "--collection needs a file name";
  options.collection_path = value;
  return "";
}

std::string SetTitle(CCliOptions& options, const std::string& value) {
  options.title = value;
  return "";
}

std::string SetDescription(CCliOptions& options, const std::string& value) {
  options.description = value;
  return "";
}

std::string SetPreset(CCliOptions& options, const std::string& value) {
  options.preset = value;
  return "";
}

std::string SetSort(CCliOptions& options, const std::string& value) {
  if (value == "name") {
    options.order = PhotoOrder::kName;
  } else if (value == "date") {
    options.order = PhotoOrder::kDate;
  } else {
    return "--sort takes 'name' or 'date', not '" + value + "'";
  }
  return "";
}

std::string SetTitles(CCliOptions& options, const std::string& value) {
  if (value == "auto") {
    options.titles = TitleSource::kChosen;
  } else if (value == "names") {
    options.titles = TitleSource::kNames;
  } else if (value == "dates") {
    options.titles = TitleSource::kDates;
  } else if (value == "none") {
    options.titles = TitleSource::kNone;
  } else {
    return "--titles takes 'auto', 'names', 'dates' or 'none', not '" + value + "'";
  }
  return "";
}

std::string SetLanguage(CCliOptions& options, const std::string& value) {
  options.language = ParsePageLanguage(value);
  if (!options.language) {
    return "--lang takes en, de, fr, es or it, not '" + value + "'";
  }
  return "";
}

constexpr COptionRule kHelpOption = {"help", 'h', "", "show this help", SetHelp};
constexpr COptionRule kVersionOption = {"version", 'V', "", "show the version", SetVersion};
constexpr COptionRule kThumbnailsOption = {
    "thumbnails", 0, "", "classic: make thumbnail images (the default)", SetThumbnails};
constexpr COptionRule kNoThumbnailsOption = {"no-thumbnails", 0, "", "classic: make no thumbnail images",
                                             SetNoThumbnails};
constexpr COptionRule kNoCacheOption = {
    "no-cache", 0, "", "make every image afresh; read and write no cached images", SetNoCache};
constexpr COptionRule kOutputOption = {
    "output", 'o', "NAME",
    "classic: file name of the output collection file in\nOUTDIR (default collection.xml)", SetOutput};
constexpr COptionRule kCollectionOption = {
    "collection", 'c', "FILE",
    "where to write the collection made from the photos (default\nOUTDIR.collection.xml, beside "
    "OUTDIR); never replaced",
    SetCollection};
constexpr COptionRule kQuietOption = {
    "quiet", 'q', "", "show no progress; warnings and errors are still shown", SetQuiet};
constexpr COptionRule kTitleOption = {"title", 't', "TITLE", "the gallery's title (required)",
                                      SetTitle};
constexpr COptionRule kDescriptionOption = {"description", 'd', "TEXT",
                                            "a line shown under the title", SetDescription};
constexpr COptionRule kPresetOption = {
    "preset", 'p', "NAME", "the style preset (default shaded; 'gallery presets' lists them)",
    SetPreset};
constexpr COptionRule kSortOption = {
    "sort", 's', "name|date",
    "order the photos by file name (default) or by the date taken\nfrom their EXIF data, "
    "undated photos last",
    SetSort};
constexpr COptionRule kTitlesOption = {
    "titles", 0, "WHICH",
    "names: titles from the file names; dates: the date taken;\nnone: no titles; auto "
    "(the default): the file name, or the\ndate taken where a camera or phone named the file",
    SetTitles};

constexpr COptionRule kLanguageOption = {
    "lang", 0, "CODE",
    "modern: the pages' language, en, de, fr, es or it (default:\nthe locale's, else en)",
    SetLanguage};

constexpr COptionRule kThemeOption = {
    "theme", 0, "THEME",
    "modern (the default), or classic: the classic pages\nand an output collection file", SetTheme};
constexpr COptionRule kMaxSizeOption = {
    "max-size", 0, "N",
    "modern: page images at most N pixels on their longer\nside (default 2048; 0: the photo's size)",
    SetMaxSize};
constexpr COptionRule kCaptionsOption = {
    "captions", 0, "", "modern: show the date taken, camera and exposure", SetCaptions};
constexpr COptionRule kOriginalsOption = {"originals", 0, "",
                                          "modern: link each photo's original file", SetOriginals};
constexpr COptionRule kNoCaptionsOption = {"no-captions", 0, "", "modern: show no captions",
                                           SetNoCaptions};
constexpr COptionRule kNoOriginalsOption = {"no-originals", 0, "",
                                            "modern: link no original files", SetNoOriginals};

constexpr COptionRule WithHelp(COptionRule option, std::string_view help) {
  option.help = help;
  return option;
}

// An option a command accepts but its help leaves out.
constexpr COptionRule Unlisted(COptionRule option) { return WithHelp(option, ""); }

// Help and the version are asked for with any command; the version is listed only in the
// overview, where help also says what it does after a command.
constexpr std::array kOverviewOptions = {
    WithHelp(kHelpOption, "show this help; after a command, that command's help"),
    kVersionOption,
};
constexpr std::array kBuildOptions = {
    kThemeOption,       kMaxSizeOption,    kCaptionsOption,     kNoCaptionsOption,
    kOriginalsOption,   kNoOriginalsOption, kLanguageOption,    kNoCacheOption,     kThumbnailsOption,
    kNoThumbnailsOption, kOutputOption,     kQuietOption,       kHelpOption,
    Unlisted(kVersionOption),
};
constexpr std::array kNewOptions = {
    kTitleOption,      kDescriptionOption,  kPresetOption,
    kSortOption,       kTitlesOption,       kCollectionOption,   kThemeOption,
    kMaxSizeOption,    kCaptionsOption,     kOriginalsOption,    kLanguageOption,
    kNoCacheOption,    kThumbnailsOption,   kNoThumbnailsOption, kOutputOption,
    kQuietOption,      kHelpOption,         Unlisted(kVersionOption),
};
constexpr std::array kUpdateOptions = {
    kSortOption,     kTitlesOption,     kThemeOption,      kMaxSizeOption,
    kCaptionsOption, kNoCaptionsOption, kOriginalsOption,  kNoOriginalsOption,
    kLanguageOption, kNoCacheOption,    kThumbnailsOption, kNoThumbnailsOption,
    kOutputOption,   kQuietOption,      kHelpOption,       Unlisted(kVersionOption),
};
constexpr std::array kPresetsOptions = {Unlisted(kHelpOption), Unlisted(kVersionOption)};

constexpr std::string_view kOverviewHelp =
    "Usage: gallery COMMAND [OPTION]... [ARGUMENT]...\n"
    "Makes static web galleries from photos.\n"
    "\n"
    "Commands:\n"
    "  build COLLECTION.xml OUTDIR      build the gallery of a collection file into OUTDIR\n"
    "  new PHOTO_FOLDER OUTDIR --title T\n"
    "                                   make a collection from a folder of photos and build it\n"
    "  update COLLECTION.xml OUTDIR     add the photos and folders that are new in the\n"
    "                                   collection's folder, drop those gone, and build it\n"
    "  presets                          list the style presets that 'new' can use\n";

constexpr std::string_view kOverviewEpilogue =
    "\n"
    "Exit status: 0 when the gallery was built, 1 for a wrong command line, 3 when the\n"
    "input (collection file, photo folder or preset) could not be loaded, 4 when the gallery\n"
    "could not be written, 5 when not one of its photos could be made. See\n"
    "'gallery COMMAND --help' and 'man gallery'.\n";

constexpr std::string_view kBuildHelp =
    "Usage: gallery build COLLECTION.xml OUTDIR [OPTION]...\n"
    "Builds the gallery of a collection file into the folder OUTDIR: index pages, one page per\n"
    "photo, page images, thumbnails and the output collection file. The gallery is made beside\n"
    "OUTDIR and then takes its place whole, so OUTDIR shows the earlier gallery until the new\n"
    "one is complete, and nothing of the earlier one after. An existing OUTDIR must be empty or\n"
    "hold only an earlier gallery; its parent folder must exist. The collection file (which\n"
    "may not lie inside OUTDIR) and the photos are only read, never changed.\n"
    "Photo paths in the collection that are not absolute are taken from the folder 'images'\n"
    "beside the collection file. The theme and the options that shape the gallery are those\n"
    "the collection records (as 'gallery new' made it), unless given here.\n";

constexpr std::string_view kNewHelp =
    "Usage: gallery new PHOTO_FOLDER OUTDIR --title TITLE [OPTION]...\n"
    "Makes a collection from the photos in PHOTO_FOLDER (JPEG, PNG, GIF, TIFF, WebP, HEIC,\n"
    "AVIF, BMP), titled by their file names or, where a camera or phone named the file, by the\n"
    "date taken (see --titles), each folder under it that holds photos an album titled by its\n"
    "name, writes it beside OUTDIR as OUTDIR.collection.xml (or where --collection says; an\n"
    "existing file is never replaced) with the options given, and builds its gallery into\n"
    "OUTDIR, as 'gallery build' does. The photos are only read. Videos (MP4, MOV, M4V,\n"
    "WebM) join them in the modern theme, with ffmpeg and ffprobe on PATH.\n"
    "To change titles, edit that file and run 'gallery build OUTDIR.collection.xml OUTDIR'.\n";

constexpr std::string_view kUpdateHelp =
    "Usage: gallery update COLLECTION.xml OUTDIR [OPTION]...\n"
    "Reads again the folder that 'gallery new' made the collection from: photos and folders\n"
    "found there for the first time are added, each where it sorts among the others, and\n"
    "those gone are dropped; titles, descriptions, covers and the order are kept as edited.\n"
    "The collection file is replaced in one step, and the gallery built into OUTDIR as\n"
    "'gallery build' builds it; a gallery that nothing it is made of has changed for is\n"
    "left as it is. --sort places the photos and albums added, --titles titles them; these\n"
    "and the options that shape the gallery, given, are recorded in the collection.\n";

constexpr std::string_view kPresetsHelp =
    "Usage: gallery presets\n"
    "Lists the style presets that 'gallery new --preset NAME' can use: the name, then what the\n"
    "preset looks like.\n";

// A command: how it is typed, what it takes and its help.
struct CCommandRule {
  CliCommand command;
  std::string_view name;      // empty for the overview, which is no command
  std::string_view operands;  // as named when their count is wrong
  size_t operand_count;
  std::string_view help;      // the help text above the list of options
  std::string_view epilogue;  // and below it
  std::span<const COptionRule> options;
};

constexpr std::array<CCommandRule, 5> kCommands = {{
    {CliCommand::kNone, "", "nothing", 0, kOverviewHelp, kOverviewEpilogue, kOverviewOptions},
    {CliCommand::kBuild, "build", "COLLECTION.xml OUTDIR", 2, kBuildHelp, "", kBuildOptions},
    {CliCommand::kNew, "new", "PHOTO_FOLDER OUTDIR", 2, kNewHelp, "", kNewOptions},
    {CliCommand::kUpdate, "update", "COLLECTION.xml OUTDIR", 2, kUpdateHelp, "", kUpdateOptions},
    {CliCommand::kPresets, "presets", "nothing", 0, kPresetsHelp, "", kPresetsOptions},
}};

constexpr std::string_view kCommandList = "the commands are build, new, update and presets";

const CCommandRule& GetCommand(CliCommand command) {
  for (const CCommandRule& rule : kCommands) {
    if (rule.command == command) return rule;
  }
  return kCommands[0];
}

const CCommandRule* FindCommand(std::string_view name) {
  for (const CCommandRule& rule : kCommands) {
    if (!rule.name.empty() && rule.name == name) return &rule;
  }
  return nullptr;
}

const COptionRule* FindLongOption(const CCommandRule& command, std::string_view name) {
  for (const COptionRule& option : command.options) {
    if (option.long_name == name) return &option;
  }
  return nullptr;
}

const COptionRule* FindShortOption(const CCommandRule& command, char name) {
  for (const COptionRule& option : command.options) {
    if (option.short_name != 0 && option.short_name == name) return &option;
  }
  return nullptr;
}

// "  -o, --output=NAME", the part of an option's help line before its description.
std::string OptionLabel(const COptionRule& option) {
  std::string label =
      option.short_name != 0 ? std::string("  -") + option.short_name + ", " : std::string(6, ' ');
  label += "--" + std::string(option.long_name);
  if (!option.value_name.empty()) label += "=" + std::string(option.value_name);
  return label;
}

// The listed options, their descriptions lined up four spaces after the longest label.
std::string OptionsHelp(std::span<const COptionRule> options) {
  size_t column = 0;
  for (const COptionRule& option : options) {
    if (!option.help.empty()) column = std::max(column, OptionLabel(option).size() + 4);
  }
  std::string text;
  for (const COptionRule& option : options) {
    if (option.help.empty()) continue;
    std::string label = OptionLabel(option);
    text += label + std::string(column - label.size(), ' ');
    std::string_view help = option.help;
    for (size_t end = help.find('\n'); end != std::string_view::npos; end = help.find('\n')) {
      text += std::string(help.substr(0, end)) + "\n" + std::string(column, ' ');
      help.remove_prefix(end + 1);
    }
    text += std::string(help) + "\n";
  }
  return text;
}

CCliParse ParseError(std::string error) { return {std::nullopt, std::move(error)}; }

// The error of a command line whose options all made sense, if any.
std::string CheckOperands(const CCliOptions& options) {
  if (options.command == CliCommand::kNone) {
    return "no command given; " + std::string(kCommandList);
  }
  const CCommandRule& command = GetCommand(options.command);
  if (options.operands.size() != command.operand_count) {
    std::string count = options.operands.size() < command.operand_count ? "too few" : "too many";
    return count + " arguments for '" + std::string(command.name) + "', which takes " +
           std::string(command.operands);
  }
  for (const std::string& operand : options.operands) {
    if (operand.empty()) return "an empty argument names no file or folder";
  }
  if (options.command == CliCommand::kNew && (!options.title || options.title->empty())) {
    return "'new' needs the gallery's title: --title TITLE";
  }
  return CheckThemeOptions(options);
}

}  // namespace

CCliParse ParseCliArguments(const std::vector<std::string>& arguments) {
  CCliOptions options;
  bool only_operands = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (only_operands || argument.size() < 2 || argument[0] != '-') {
      if (options.command != CliCommand::kNone) {
        options.operands.push_back(argument);
      } else if (const CCommandRule* command = FindCommand(argument)) {
        options.command = command->command;
      } else {
        return ParseError("unknown command '" + argument + "'; " + std::string(kCommandList));
      }
      continue;
    }
    if (argument == "--") {
      only_operands = true;
      continue;
    }
    const CCommandRule& command = GetCommand(options.command);
    const COptionRule* option = nullptr;
    std::optional<std::string> value;
    std::string shown;
    if (argument[1] == '-') {
      std::string_view body = std::string_view(argument).substr(2);
      size_t equals = body.find('=');
      option = FindLongOption(command, body.substr(0, equals));
      if (equals != std::string_view::npos) value = std::string(body.substr(equals + 1));
      shown = "--" + std::string(body.substr(0, equals));
    } else {
      option = FindShortOption(command, argument[1]);
      if (argument.size() > 2) value = argument.substr(2);
      shown = argument.substr(0, 2);
    }
    if (option == nullptr) {
      std::string where =
          command.name.empty() ? std::string() : " for '" + std::string(command.name) + "'";
      return ParseError("unknown option '" + shown + "'" + where);
    }
    const bool takes_value = !option->value_name.empty();
    if (takes_value && !value) {
      if (i + 1 >= arguments.size()) return ParseError(shown + " needs a value");
      value = arguments[++i];
    } else if (!takes_value && value) {
      if (argument[1] == '-') return ParseError(shown + " takes no value");
      // Short switches may be bundled, "-qh"; each letter must be a switch.
      for (char letter : *value) {
        const COptionRule* next = FindShortOption(command, letter);
        if (next == nullptr || !next->value_name.empty()) {
          return ParseError("unknown option '-" + std::string(1, letter) + "'");
        }
        static_cast<void>(next->set(options, ""));
      }
    }
    std::string error = option->set(options, value.value_or(""));
    if (!error.empty()) return ParseError(error);
  }
  if (options.help || options.version) return {options, ""};
  std::string error = CheckOperands(options);
  if (!error.empty()) return ParseError(error);
  return {options, ""};
}

std::string HelpText(CliCommand command) {
  const CCommandRule& rule = GetCommand(command);
  std::string options = OptionsHelp(rule.options);
  std::string text(rule.help);
  if (!options.empty()) text += "\nOptions:\n" + options;
  return text + std::string(rule.epilogue);
}

std::string VersionText() { return "gallery (gallerygen) " GALLERY_VERSION "\n"; }

}  // namespace gallery
