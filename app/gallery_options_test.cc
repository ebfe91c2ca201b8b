#include "app/gallery_options.h"

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/theme_options.h"

namespace gallery {
namespace {

std::string Shown(const std::vector<std::string>& arguments) {
  std::string shown;
  for (const std::string& argument : arguments) shown += argument + " ";
  return shown;
}

struct ErrorCase {
  std::vector<std::string> arguments;
  std::string error;
};

void ExpectErrors(const std::vector<ErrorCase>& cases) {
  for (const ErrorCase& c : cases) {
    CCliParse parse = ParseCliArguments(c.arguments);
    EXPECT_FALSE(parse.options) << Shown(c.arguments);
    EXPECT_EQ(c.error, parse.error) << Shown(c.arguments);
  }
}

TEST(GalleryOptionsTest, ParsesCommandsOptionsAndOperandsInAnyOrder) {
  struct Case {
    std::vector<std::string> arguments;
    CliCommand command;
    std::vector<std::string> operands;
    bool thumbnails;
    bool quiet;
    std::string output_name;
    std::string title;
    std::string preset;
    PhotoOrder order;
  } cases[] = {
      {{"build", "c.xml", "out"},
       CliCommand::kBuild,
       {"c.xml", "out"},
       true,
       false,
       "collection.xml",
       "",
       "shaded",
       PhotoOrder::kName},
      {{"build", "--no-thumbnails", "c.xml", "-q", "out", "--output=g.xml", "--theme=classic"},
       CliCommand::kBuild,
       {"c.xml", "out"},
       false,
       true,
       "g.xml",
       "",
       "shaded",
       PhotoOrder::kName},
      {{"build", "c.xml", "out", "--no-thumbnails", "--thumbnails", "-o", "x.xml", "--theme",
        "classic"},
       CliCommand::kBuild,
       {"c.xml", "out"},
       true,
       false,
       "x.xml",
       "",
       "shaded",
       PhotoOrder::kName},
      {{"new", "pics", "out", "--title", "My trip", "--preset=plain", "--sort", "date"},
       CliCommand::kNew,
       {"pics", "out"},
       true,
       false,
       "collection.xml",
       "My trip",
       "plain",
       PhotoOrder::kDate},
      {{"new", "-tTrip", "-p", "framed", "-s", "name", "--", "-pics", "--out"},
       CliCommand::kNew,
       {"-pics", "--out"},
       true,
       false,
       "collection.xml",
       "Trip",
       "framed",
       PhotoOrder::kName},
      {{"new", "-", "out", "--title=--x", "-d", ""},
       CliCommand::kNew,
       {"-", "out"},
       true,
       false,
       "collection.xml",
       "--x",
       "shaded",
       PhotoOrder::kName},
      {{"presets"},
       CliCommand::kPresets,
       {},
       true,
       false,
       "collection.xml",
       "",
       "shaded",
       PhotoOrder::kName},
  };
  for (const Case& c : cases) {
    const std::string shown = Shown(c.arguments);
    CCliParse parse = ParseCliArguments(c.arguments);
    ASSERT_TRUE(parse.options) << shown << ": " << parse.error;
    const CCliOptions& options = *parse.options;
    EXPECT_EQ(c.command, options.command) << shown;
    EXPECT_EQ(c.operands, options.operands) << shown;
    EXPECT_EQ(c.thumbnails, options.thumbnails.value_or(true)) << shown;
    EXPECT_EQ(c.quiet, options.quiet) << shown;
    EXPECT_EQ(c.output_name, options.output_name) << shown;
    EXPECT_EQ(c.title, options.title.value_or("")) << shown;
    EXPECT_EQ(c.preset, options.preset) << shown;
    EXPECT_EQ(c.order, options.order.value_or(PhotoOrder::kName)) << shown;
  }
}

TEST(GalleryOptionsTest, WrongCommandLinesSayWhatIsWrong) {
  ExpectErrors({
      {{}, "no command given; the commands are build, new, update and presets"},
      {{"make"}, "unknown command 'make'; the commands are build, new, update and presets"},
      {{"build", "c.xml"}, "too few arguments for 'build', which takes COLLECTION.xml OUTDIR"},
      {{"build", "c.xml", "out", "x"},
       "too many arguments for 'build', which takes COLLECTION.xml OUTDIR"},
      {{"presets", "x"}, "too many arguments for 'presets', which takes nothing"},
      {{"build", "c.xml", "out", "--title=x"}, "unknown option '--title' for 'build'"},
      {{"build", "c.xml", "out", "--colour"}, "unknown option '--colour' for 'build'"},
      {{"build", "c.xml", "out", "-x"}, "unknown option '-x' for 'build'"},
      {{"build", "c.xml", "out", "-qx"}, "unknown option '-x'"},
      {{"build", "c.xml", "out", "-o"}, "-o needs a value"},
      {{"build", "c.xml", "out", "--quiet=yes"}, "--quiet takes no value"},
      {{"build", "c.xml", "out", "--output=sub/c.xml"},
       "--output takes a file name inside OUTDIR, without any folder: 'sub/c.xml'"},
      {{"build", "c.xml", "out", "--output", ".."},
       "--output takes a file name inside OUTDIR, without any folder: '..'"},
      {{"build", "", "out"}, "an empty argument names no file or folder"},
      {{"new", "pics", "out"}, "'new' needs the gallery's title: --title TITLE"},
      {{"new", "pics", "out", "--title="}, "'new' needs the gallery's title: --title TITLE"},
      {{"new", "pics", "out", "-t", "T", "--sort=size"},
       "--sort takes 'name' or 'date', not 'size'"},
      {{"--thumbnails", "build"}, "unknown option '--thumbnails'"},
  });
}

TEST(GalleryOptionsTest, TitlesComeFromTheSourceNamedForNewOnly) {
  struct Case {
    std::vector<std::string> titles;
    TitleSource expected;
  } cases[] = {
      {{}, TitleSource::kChosen},
      {{"--titles=names"}, TitleSource::kNames},
      {{"--titles", "dates"}, TitleSource::kDates},
      {{"--titles=none"}, TitleSource::kNone},
      {{"--titles=none", "--titles=names"}, TitleSource::kNames},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = {"new", "pics", "out", "-t", "T"};
    arguments.insert(arguments.end(), c.titles.begin(), c.titles.end());
    CCliParse parse = ParseCliArguments(arguments);
    ASSERT_TRUE(parse.options) << Shown(arguments) << ": " << parse.error;
    EXPECT_EQ(c.expected, parse.options->titles.value_or(TitleSource::kChosen)) << Shown(arguments);
  }
  ExpectErrors({
      {{"new", "pics", "out", "-t", "T", "--titles=Names"},
       "--titles takes 'auto', 'names', 'dates' or 'none', not 'Names'"},
      {{"new", "pics", "out", "-t", "T", "--titles="},
       "--titles takes 'auto', 'names', 'dates' or 'none', not ''"},
      {{"new", "pics", "out", "-t", "T", "--titles"}, "--titles needs a value"},
      {{"build", "c.xml", "out", "--titles=none"}, "unknown option '--titles' for 'build'"},
  });
}

TEST(GalleryOptionsTest, OptionsCountOnlyForTheirCommand) {
  ExpectErrors({
      {{"presets", "--quiet"}, "unknown option '--quiet' for 'presets'"},
      {{"presets", "-o", "x.xml"}, "unknown option '-o' for 'presets'"},
      {{"new", "pics", "out", "-t", "T", "--colour"}, "unknown option '--colour' for 'new'"},
      {{"build", "--title", "T", "c.xml", "out"}, "unknown option '--title' for 'build'"},
      {{"build", "c.xml", "out", "-s", "date"}, "unknown option '-s' for 'build'"},
      {{"--output=x.xml", "build", "c.xml", "out"}, "unknown option '--output'"},
      {{"-q", "build", "c.xml", "out"}, "unknown option '-q'"},
      // Names are matched whole and as written.
      {{"build", "c.xml", "out", "--qui"}, "unknown option '--qui' for 'build'"},
      {{"build", "c.xml", "out", "--Quiet"}, "unknown option '--Quiet' for 'build'"},
      {{"new", "pics", "out", "-t", "T", "--thumbnail"}, "unknown option '--thumbnail' for 'new'"},
      {{"build", "c.xml", "out", "--=x"}, "unknown option '--' for 'build'"},
      // A bundle holds switches only.
      {{"build", "c.xml", "out", "-qo", "x.xml"}, "unknown option '-o'"},
      {{"new", "pics", "out", "-qt", "T"}, "unknown option '-t'"},
      {{"presets", "-hq"}, "unknown option '-q'"},
  });
}

TEST(GalleryOptionsTest, ValuesAreTakenFromTheNextArgumentWhateverItLooksLike) {
  struct Case {
    std::vector<std::string> arguments;
    std::string error;  // empty when the command line is right
    std::string title;
  } cases[] = {
      {{"new", "pics", "out", "--title"}, "--title needs a value", ""},
      {{"new", "pics", "out", "-t", "T", "-p"}, "-p needs a value", ""},
      {{"new", "pics", "out", "-t", "T", "--sort"}, "--sort needs a value", ""},
      {{"new", "pics", "out", "-t", "T", "--description"}, "--description needs a value", ""},
      {{"new", "pics", "out", "-t", "T", "--output"}, "--output needs a value", ""},
      {{"new", "pics", "out", "-t", "--quiet"}, "", "--quiet"},
      {{"new", "pics", "out", "--title", "--"}, "", "--"},
      {{"new", "pics", "out", "-t", ""}, "'new' needs the gallery's title: --title TITLE", ""},
      {{"new", "pics", "out", "--title=a=b"}, "", "a=b"},
  };
  for (const Case& c : cases) {
    CCliParse parse = ParseCliArguments(c.arguments);
    EXPECT_EQ(c.error, parse.error) << Shown(c.arguments);
    if (c.error.empty()) {
      ASSERT_TRUE(parse.options) << Shown(c.arguments);
      EXPECT_EQ(c.title, parse.options->title.value_or("")) << Shown(c.arguments);
      EXPECT_FALSE(parse.options->quiet) << Shown(c.arguments);
    }
  }
}

TEST(GalleryOptionsTest, RepeatedOptionsKeepTheLastValue) {
  struct Case {
    std::vector<std::string> arguments;
    std::string output_name;
    std::string title;
    std::string preset;
    PhotoOrder order;
  } cases[] = {
      {{"new", "pics", "out", "-t", "A", "-o", "a.xml", "--output=b.xml", "--theme=classic"},
       "b.xml",
       "A",
       "shaded",
       PhotoOrder::kName},
      {{"new", "-t", "A", "pics", "--title", "B", "out", "-tC"},
       "collection.xml",
       "C",
       "shaded",
       PhotoOrder::kName},
      {{"new", "pics", "out", "-t", "A", "--sort=date", "-s", "name", "--sort", "date"},
       "collection.xml",
       "A",
       "shaded",
       PhotoOrder::kDate},
      {{"new", "pics", "out", "-t", "A", "-p", "plain", "--preset", "framed", "-q", "-q"},
       "collection.xml",
       "A",
       "framed",
       PhotoOrder::kName},
  };
  for (const Case& c : cases) {
    CCliParse parse = ParseCliArguments(c.arguments);
    ASSERT_TRUE(parse.options) << Shown(c.arguments) << ": " << parse.error;
    EXPECT_EQ(c.output_name, parse.options->output_name) << Shown(c.arguments);
    EXPECT_EQ(c.title, parse.options->title.value_or("")) << Shown(c.arguments);
    EXPECT_EQ(c.preset, parse.options->preset) << Shown(c.arguments);
    EXPECT_EQ(c.order, parse.options->order.value_or(PhotoOrder::kName)) << Shown(c.arguments);
  }
  // A wrong value is wrong even when a right one came first.
  EXPECT_EQ("--sort takes 'name' or 'date', not 'size'",
            ParseCliArguments({"new", "p", "o", "-t", "T", "-s", "date", "-s", "size"}).error);
}

TEST(GalleryOptionsTest, HelpIsForTheCommandNamedAndSkipsTheOtherChecks) {
  struct Case {
    std::vector<std::string> arguments;
    CliCommand command;
  } cases[] = {
      {{"--help"}, CliCommand::kNone},
      {{"-h", "new"}, CliCommand::kNew},
      {{"build", "-h"}, CliCommand::kBuild},
      {{"build", "-qh", "c.xml"}, CliCommand::kBuild},
      {{"new", "--help", "too", "many", "operands"}, CliCommand::kNew},
      {{"new", "pics", "out", "--title=", "--help"}, CliCommand::kNew},
      {{"presets", "extra", "-h"}, CliCommand::kPresets},
  };
  for (const Case& c : cases) {
    CCliParse parse = ParseCliArguments(c.arguments);
    ASSERT_TRUE(parse.options) << Shown(c.arguments) << ": " << parse.error;
    EXPECT_TRUE(parse.options->help) << Shown(c.arguments);
    EXPECT_EQ(c.command, parse.options->command) << Shown(c.arguments);
  }
}

// The long names in the option list of a help text, with "=VALUE" where one is taken.
std::vector<std::string> ListedOptions(const std::string& help) {
  std::vector<std::string> options;
  std::istringstream lines(help.substr(help.find("\nOptions:\n") + 10));
  for (std::string line; std::getline(lines, line) && !line.empty();) {
    size_t start = line.find("--");
    if (start == std::string::npos || line.find_first_not_of(' ') + 4 < start) continue;
    options.push_back(line.substr(start, line.find(' ', start) - start));
  }
  return options;
}

TEST(GalleryOptionsTest, EveryOptionListedInACommandsHelpIsAccepted) {
  struct Case {
    CliCommand command;
    std::vector<std::string> arguments;
    size_t listed;
  } cases[] = {
      {CliCommand::kBuild, {"build", "c.xml", "out"}, 13},
      {CliCommand::kUpdate, {"update", "c.xml", "out"}, 15},
      {CliCommand::kNew, {"new", "pics", "out", "-t", "T"}, 17},
      {CliCommand::kNone, {"build", "c.xml", "out"}, 2},
  };
  for (const Case& c : cases) {
    std::vector<std::string> listed = ListedOptions(HelpText(c.command));
    EXPECT_EQ(c.listed, listed.size()) << HelpText(c.command);
    for (const std::string& option : listed) {
      std::vector<std::string> arguments = c.arguments;
      // "name" is a right value for every option that takes one but these two; the options of
      // the output collection file and thumbnails are the classic theme's.
      const std::string name = option.substr(0, option.find('='));
      const std::string value = name == "--theme"      ? "=classic"
                                : name == "--max-size" ? "=640"
                                : name == "--titles"   ? "=names"
                                : name == "--lang"     ? "=de"
                                                       : "=name";
      arguments.push_back(name + (option.find('=') == std::string::npos ? "" : value));
      if (name == "--output" || name == "--no-thumbnails") arguments.push_back("--theme=classic");
      CCliParse parse = ParseCliArguments(arguments);
      EXPECT_TRUE(parse.options) << Shown(arguments) << ": " << parse.error;
    }
  }
  EXPECT_EQ(std::string::npos, HelpText(CliCommand::kPresets).find("Options:"));
}

TEST(GalleryOptionsTest, HelpListsOptionsInAlignedColumns) {
  const std::string build = HelpText(CliCommand::kBuild);
  EXPECT_EQ(
      "\nOptions:\n"
      "      --theme=THEME      modern (the default), or classic: the classic pages\n"
      "                         and an output collection file\n"
      "      --max-size=N       modern: page images at most N pixels on their longer\n"
      "                         side (default 2048; 0: the photo's size)\n"
      "      --captions         modern: show the date taken, camera and exposure\n"
      "      --no-captions      modern: show no captions\n"
      "      --originals        modern: link each photo's original file\n"
      "      --no-originals     modern: link no original files\n"
      "      --lang=CODE        modern: the pages' language, en, de, fr, es or it (default:\n"
      "                         the locale's, else en)\n"
      "      --no-cache         make every image afresh; read and write no cached images\n"
      "      --thumbnails       classic: make thumbnail images (the default)\n"
      "      --no-thumbnails    classic: make no thumbnail images\n"
      "  -o, --output=NAME      classic: file name of the output collection file in\n"
      "                         OUTDIR (default collection.xml)\n"
      "  -q, --quiet            show no progress; warnings and errors are still shown\n"
      "  -h, --help             show this help\n",
      build.substr(build.find("\nOptions:\n")));
  // Each command lines its descriptions up after its own longest option.
  const std::string new_help = HelpText(CliCommand::kNew);
  EXPECT_NE(std::string::npos,
            new_help.find("\n  -s, --sort=name|date      order the photos by file name (default) "
                          "or by the date taken\n                            from their EXIF"))
      << new_help;
  std::string overview = HelpText(CliCommand::kNone);
  EXPECT_NE(std::string::npos,
            overview.find("\nOptions:\n"
                          "  -h, --help       show this help; after a command, that command's "
                          "help\n"
                          "  -V, --version    show the version\n"
                          "\n"
                          "Exit status: "))
      << overview;
}

}  // namespace
}  // namespace gallery

namespace gallery {
namespace {

CCliOptions ParsedOptions(const std::vector<std::string>& arguments) {
  CCliParse parse = ParseCliArguments(arguments);
  EXPECT_TRUE(parse.options) << Shown(arguments) << ": " << parse.error;
  return parse.options.value_or(CCliOptions{});
}

TEST(GalleryOptionsTest, RecordedSettingsCountUnlessTheCommandLineSaysOtherwise) {
  const CGallerySettings modern{Theme::kModern,    true,         true,        640, std::nullopt,
                                PhotoOrder::kDate, std::nullopt, std::nullopt};
  const CGallerySettings classic{Theme::kClassic, std::nullopt,      std::nullopt, std::nullopt,
                                 false,           PhotoOrder::kName, std::nullopt, std::nullopt};
  struct Case {
    std::vector<std::string> arguments;
    std::optional<CGallerySettings> recorded;
    Theme theme;
    bool captions;
    bool originals;
    std::optional<int> max_size;
    bool thumbnails;
    std::string error;  // of the options once the recorded ones count
  } cases[] = {
      // Nothing recorded: what a build meant before settings were kept.
      {{}, std::nullopt, Theme::kModern, false, false, std::nullopt, true, ""},
      {{}, modern, Theme::kModern, true, true, 640, true, ""},
      {{"--no-captions", "--max-size=0"}, modern, Theme::kModern, false, true, 0, true, ""},
      {{"--no-originals", "--captions"}, modern, Theme::kModern, true, false, 640, true, ""},
      // Recorded modern settings say nothing to the classic theme, and the other way round.
      {{"--theme=classic"}, modern, Theme::kClassic, false, false, std::nullopt, true, ""},
      {{}, classic, Theme::kClassic, false, false, std::nullopt, false, ""},
      {{"--thumbnails"}, classic, Theme::kClassic, false, false, std::nullopt, true, ""},
      {{"--theme=modern"}, classic, Theme::kModern, false, false, std::nullopt, true, ""},
      {{"--no-captions"}, classic, Theme::kClassic, false, false, std::nullopt, false, ""},
      // What the recorded theme does not take, given, is refused once the theme is known.
      {{"--captions"}, classic, Theme::kClassic, true, false, std::nullopt, false,
       "--captions is an option of the modern theme, not of '--theme classic'"},
      {{"--no-thumbnails"}, modern, Theme::kModern, true, true, 640, false,
       "--no-thumbnails is an option of '--theme classic'"},
      {{"--output=o.xml"}, std::nullopt, Theme::kModern, false, false, std::nullopt, true,
       "--output names the output collection file, which only '--theme classic' writes"},
      {{"--output=o.xml"}, classic, Theme::kClassic, false, false, std::nullopt, false, ""},
  };
  for (const char* command : {"build", "update"}) {
    for (const Case& c : cases) {
      std::vector<std::string> arguments = {command, "c.xml", "out"};
      arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
      const CCliOptions applied = ApplyRecordedSettings(ParsedOptions(arguments), c.recorded);
      const std::string shown = Shown(arguments);
      EXPECT_EQ(applied.theme, c.theme) << shown;
      EXPECT_EQ(applied.captions.value_or(false), c.captions) << shown;
      EXPECT_EQ(applied.originals.value_or(false), c.originals) << shown;
      EXPECT_EQ(applied.max_size, c.max_size) << shown;
      EXPECT_EQ(applied.thumbnails.value_or(true), c.thumbnails) << shown;
      EXPECT_EQ(CheckThemeOptions(applied), c.error) << shown;
    }
  }
  // `new` records nothing yet: its theme's options are checked as it is parsed.
  EXPECT_FALSE(ParseCliArguments({"new", "p", "o", "-t", "T", "--no-thumbnails"}).options);
  EXPECT_TRUE(ParseCliArguments({"build", "c.xml", "o", "--no-thumbnails"}).options);
  EXPECT_FALSE(
      ParseCliArguments({"build", "c.xml", "o", "--theme=modern", "--no-thumbnails"}).options);
}

TEST(GalleryOptionsTest, RecordedOrderTitlesAndLanguageCountUnlessGiven) {
  CGallerySettings recorded;
  recorded.order = PhotoOrder::kDate;
  recorded.titles = TitleSource::kNames;
  recorded.language = "de";
  struct Case {
    std::vector<std::string> arguments;
    std::optional<CGallerySettings> recorded;
    PhotoOrder order;
    TitleSource titles;
    std::optional<PageLanguage> language;
  } cases[] = {
      {{}, std::nullopt, PhotoOrder::kName, TitleSource::kChosen, std::nullopt},
      {{}, recorded, PhotoOrder::kDate, TitleSource::kNames, PageLanguage::kGerman},
      {{"--sort=name", "--titles=auto", "--lang=it"},
       recorded,
       PhotoOrder::kName,
       TitleSource::kChosen,
       PageLanguage::kItalian},
      {{"--titles=none"}, recorded, PhotoOrder::kDate, TitleSource::kNone, PageLanguage::kGerman},
      // The classic pages have no language to take.
      {{"--theme=classic"}, recorded, PhotoOrder::kDate, TitleSource::kNames, std::nullopt},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = {"update", "c.xml", "out"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const CCliOptions applied = ApplyRecordedSettings(ParsedOptions(arguments), c.recorded);
    EXPECT_EQ(c.order, applied.order) << Shown(arguments);
    EXPECT_EQ(c.titles, applied.titles) << Shown(arguments);
    EXPECT_EQ(c.language, applied.language) << Shown(arguments);
  }
  // `build` places and titles no photos of its own.
  EXPECT_FALSE(ParseCliArguments({"build", "c.xml", "out", "--sort=date"}).options);
}

}  // namespace
}  // namespace gallery
