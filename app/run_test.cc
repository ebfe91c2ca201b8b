#include "app/run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "platform/file_system.h"
#include "tests/run_binary.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

const std::string kToken(kAccessToken);

TEST(RunTest, TooFewArgumentsExitOneAndDeleteOnlyTheSecond) {
  TempFolder folder;
  std::string input = folder.WriteFile("in.xml", "<collection><style/></collection>");

  BinaryResult none = RunGallerygenBinary({});
  EXPECT_EQ(ExitStatus(ExitCode::kUsage), none.exit_code);
  EXPECT_EQ("", none.output);

  BinaryResult one = RunGallerygenBinary({input});
  EXPECT_EQ(ExitStatus(ExitCode::kUsage), one.exit_code);
  EXPECT_TRUE(FileExists(input)) << "a single argument deletes nothing";

  BinaryResult two = RunGallerygenBinary({kToken, input});
  EXPECT_EQ(ExitStatus(ExitCode::kUsage), two.exit_code);
  EXPECT_FALSE(FileExists(input)) << "the second argument is deleted";
  EXPECT_EQ("", two.output);
}

TEST(RunTest, WrongTokenExitsTwoAndDeletesInput) {
  TempFolder folder;
  for (const std::string& token :
       {std::string("kd4wPz7Qa1Xn9TbM"), std::string("nope"), kToken + "x"}) {
    std::string input = folder.WriteFile("in.xml", "<collection><style/></collection>");
    BinaryResult result = RunGallerygenBinary({token, input, folder.Join("out/c.xml")});
    EXPECT_EQ(ExitStatus(ExitCode::kWrongToken), result.exit_code) << token;
    EXPECT_FALSE(FileExists(input)) << token;
    EXPECT_EQ("", result.output) << token;
  }
}

TEST(RunTest, EmptyArgumentShiftsTheOthers) {
  TempFolder folder;
  std::string input = folder.WriteFile("in.xml", "x");
  // Token, empty, input: only two arguments remain, so the run stops with 1 after deleting.
  BinaryResult result = RunGallerygenBinary({kToken, "", input});
  EXPECT_EQ(ExitStatus(ExitCode::kUsage), result.exit_code);
  EXPECT_FALSE(FileExists(input));
}

constexpr const char* kStyle =
    "<style table_columns=\"2\" table_rows=\"2\" thumb_type=\"1\" thumb_width=\"40\""
    " thumb_height=\"40\" thumb_style=\"9\" thumb_border_size=\"8\" photo_quality=\"90\"/>";

// A folder with a small photo and a collection file naming it; runs write into `out/`.
class RunGalleryTest : public testing::Test {
 protected:
  RunGalleryTest() {
    vips::VImage::black(64, 48, vips::VImage::option()->set("bands", 3))
        .new_from_image(std::vector<double>{200, 120, 40})
        .jpegsave(folder_.Join("photo.jpg").c_str());
    std::filesystem::create_directories(folder_.Join("out"));
  }

  std::string WriteCollection(std::string_view name, std::string_view photos) {
    return folder_.WriteFile(name, std::string("<collection title=\"T\" desc=\"D\">") +
                                       std::string(photos) + kStyle + "</collection>");
  }

  std::string PhotoElement() const {
    return "<photo title=\"One\" path=\"" + folder_.Join("photo.jpg") + "\"/>";
  }

  TempFolder folder_;
};

TEST_F(RunGalleryTest, BadCollectionFilesExitThreeAndAreDeleted) {
  struct Case {
    const char* name;
    const char* content;  // nullptr: no file at all
  };
  const Case cases[] = {
      {"missing", nullptr},
      {"empty", ""},
      {"malformed", "<collection><style/>"},
      {"wrong root", "<gallery><style/></gallery>"},
      {"no style", "<collection><photo path=\"a.jpg\"/></collection>"},
      {"style nested deeper", "<collection><x><style/></x></collection>"},
      {"not xml", "\x89PNG\r\n"},
  };
  for (const Case& c : cases) {
    std::string input = folder_.Join("in.xml");
    if (c.content != nullptr) folder_.WriteFile("in.xml", c.content);
    BinaryResult result =
        RunGallerygenBinary({kToken, input, folder_.Join("out/collection.xml"), "thumbs"});
    EXPECT_EQ(ExitStatus(ExitCode::kLoadFailed), result.exit_code) << c.name;
    EXPECT_EQ("", result.output) << c.name;
    EXPECT_FALSE(FileExists(input)) << c.name;
    EXPECT_FALSE(FileExists(folder_.Join("out/collection.xml"))) << c.name;
    EXPECT_FALSE(FileExists(folder_.Join("out/images"))) << c.name;
  }
}

TEST_F(RunGalleryTest, FolderInPlaceOfCollectionExitsThree) {
  std::filesystem::create_directories(folder_.Join("in.xml"));
  BinaryResult result =
      RunGallerygenBinary({kToken, folder_.Join("in.xml"), folder_.Join("out/collection.xml")});
  EXPECT_EQ(ExitStatus(ExitCode::kLoadFailed), result.exit_code);
  EXPECT_EQ("", result.output);
  EXPECT_TRUE(FileExists(folder_.Join("in.xml"))) << "a folder is never removed";
}

TEST_F(RunGalleryTest, MissingOutputFolderExitsFour) {
  std::string input = WriteCollection("in.xml", PhotoElement());
  BinaryResult result =
      RunGallerygenBinary({kToken, input, folder_.Join("absent/collection.xml"), "thumbs"});
  EXPECT_EQ(ExitStatus(ExitCode::kGenerateFailed), result.exit_code);
  EXPECT_EQ("", result.output);
  EXPECT_FALSE(FileExists(input));
  EXPECT_FALSE(FileExists(folder_.Join("absent")));
}

TEST_F(RunGalleryTest, GeneratesTheGalleryAndDeletesTheInput) {
  std::string input = WriteCollection("in.xml", PhotoElement() + PhotoElement());
  BinaryResult result =
      RunGallerygenBinary({kToken, input, folder_.Join("out/collection.xml"), "thumbs"});
  EXPECT_EQ(ExitStatus(ExitCode::kBuilt), result.exit_code);
  EXPECT_EQ("", result.output);
  EXPECT_FALSE(FileExists(input));
  for (const char* file : {"collection.xml", "index.htm", "images/0.jpg", "images/1.jpg",
                           "thumbs/1.jpg", "pages/1.htm", "advanced/index.jpg", "advanced/next.jpg",
                           "border/0.jpg", "border/15.jpg"}) {
    EXPECT_TRUE(FileExists(folder_.Join(std::string("out/") + file))) << file;
  }
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_.Join("out"))) {
    EXPECT_EQ(std::string::npos, entry.path().string().find(".tmp")) << entry.path();
  }
}

TEST_F(RunGalleryTest, ThumbnailsOnlyWithAFourthArgument) {
  BinaryResult without = RunGallerygenBinary(
      {kToken, WriteCollection("in.xml", PhotoElement()), folder_.Join("out/collection.xml")});
  EXPECT_EQ(ExitStatus(ExitCode::kBuilt), without.exit_code);
  EXPECT_TRUE(FileExists(folder_.Join("out/images/0.jpg")));
  EXPECT_FALSE(FileExists(folder_.Join("out/thumbs/0.jpg")));

  // An empty fourth argument yields no entry, so it does not switch thumbnails on either.
  BinaryResult empty = RunGallerygenBinary(
      {kToken, WriteCollection("in.xml", PhotoElement()), folder_.Join("out/collection.xml"), " "});
  EXPECT_EQ(ExitStatus(ExitCode::kBuilt), empty.exit_code);
  EXPECT_FALSE(FileExists(folder_.Join("out/thumbs/0.jpg")));
}

TEST_F(RunGalleryTest, RelativePathsWithBackslashesFindTheirPhotos) {
  std::filesystem::create_directories(folder_.Join("images/sub"));
  std::filesystem::copy_file(folder_.Join("photo.jpg"), folder_.Join("images/sub/a.jpg"));
  WriteCollection("in.xml", "<photo title=\"A\" path=\"sub\\a.jpg\"/>");
  // Both paths relative to the working folder, the output without any folder part.
  BinaryResult result =
      RunGallerygenBinary({kToken, "in.xml", "out\\collection.xml", "thumbs"}, folder_.path());
  EXPECT_EQ(ExitStatus(ExitCode::kBuilt), result.exit_code);
  EXPECT_TRUE(FileExists(folder_.Join("out/images/0.jpg")));
  EXPECT_TRUE(FileExists(folder_.Join("out/thumbs/0.jpg")));
  EXPECT_FALSE(FileExists(folder_.Join("in.xml")));
}

// A 24-bit BMP of one colour: a format that only one of the imaging library's optional modules
// reads, so a run must load them when it meets one.
std::string SolidBmp(int width, int height, unsigned char red, unsigned char green,
                     unsigned char blue) {
  const auto little = [](uint32_t value, int bytes) {
    std::string text;
    for (int i = 0; i < bytes; ++i) text += static_cast<char>((value >> (8 * i)) & 0xFF);
    return text;
  };
  const int row_bytes = (width * 3 + 3) / 4 * 4;
  std::string row(static_cast<size_t>(row_bytes), '\0');
  for (int x = 0; x < width; ++x) {
    row[3 * x] = static_cast<char>(blue);
    row[3 * x + 1] = static_cast<char>(green);
    row[3 * x + 2] = static_cast<char>(red);
  }
  const uint32_t pixel_bytes = static_cast<uint32_t>(row_bytes * height);
  std::string bmp = "BM" + little(54 + pixel_bytes, 4) + little(0, 4) + little(54, 4);
  bmp += little(40, 4) + little(width, 4) + little(height, 4) + little(1, 2) + little(24, 2);
  bmp += little(0, 4) + little(pixel_bytes, 4) + little(2835, 4) + little(2835, 4);
  bmp += little(0, 4) + little(0, 4);
  for (int y = 0; y < height; ++y) bmp += row;
  return bmp;
}

TEST_F(RunGalleryTest, PhotosOfEveryFormatBecomePageImages) {
  folder_.WriteFile("module.bmp", SolidBmp(30, 20, 10, 200, 30));
  vips::VImage::black(24, 16).jpegsave(folder_.Join("named [1].jpg").c_str());
  vips::VImage::black(12, 8).pngsave(folder_.Join("plain.png").c_str());
  const std::string photos = "<photo title=\"B\" path=\"" + folder_.Join("module.bmp") +
                             "\"/><photo title=\"J\" path=\"" + folder_.Join("named [1].jpg") +
                             "\"/><photo title=\"P\" path=\"" + folder_.Join("plain.png") + "\"/>";
  BinaryResult result = RunGallerygenBinary(
      {kToken, WriteCollection("in.xml", photos), folder_.Join("out/collection.xml"), "thumbs"});
  ASSERT_EQ(ExitStatus(ExitCode::kBuilt), result.exit_code);
  const struct {
    const char* image;
    int width;
    int height;
  } expected[] = {{"out/images/0.jpg", 30, 20}, {"out/images/1.jpg", 24, 16},
                  {"out/images/2.jpg", 12, 8}};
  for (const auto& page_image : expected) {
    ASSERT_TRUE(FileExists(folder_.Join(page_image.image))) << page_image.image;
    vips::VImage image = vips::VImage::new_from_file(folder_.Join(page_image.image).c_str());
    EXPECT_EQ(page_image.width, image.width()) << page_image.image;
    EXPECT_EQ(page_image.height, image.height()) << page_image.image;
  }
  // The middle of the BMP keeps its colour (the ring round the edge is the background).
  std::vector<double> middle =
      vips::VImage::new_from_file(folder_.Join("out/images/0.jpg").c_str()).getpoint(15, 10);
  ASSERT_EQ(3u, middle.size());
  EXPECT_NEAR(10, middle[0], 12);
  EXPECT_NEAR(200, middle[1], 12);
  EXPECT_NEAR(30, middle[2], 12);
  EXPECT_TRUE(FileExists(folder_.Join("out/thumbs/0.jpg")));
}

TEST_F(RunGalleryTest, OutputSavedOverTheInputIsKept) {
  std::string input = WriteCollection("out/collection.xml", PhotoElement());
  BinaryResult result = RunGallerygenBinary({kToken, input, input});
  EXPECT_EQ(ExitStatus(ExitCode::kBuilt), result.exit_code);
  ASSERT_TRUE(FileExists(input)) << "the generated collection file must survive";
  EXPECT_NE(std::string::npos, ReadWholeFile(input).find("path=\"0\""));
}

// An output path that is a second link to the input file names the same file only until the
// collection is saved, which puts a file of its own in the output's place: the input is then
// an old copy and is deleted like any other input.
TEST_F(RunGalleryTest, InputLinkedToTheOutputIsDeletedOnceTheOutputIsSaved) {
  for (const bool symbolic : {false, true}) {
    std::string input = WriteCollection("in.xml", PhotoElement());
    const std::string output = folder_.Join("out/collection.xml");
    std::filesystem::remove(output);
    if (symbolic) {
      std::filesystem::create_symlink(input, output);
    } else {
      std::filesystem::create_hard_link(input, output);
    }
    BinaryResult result = RunGallerygenBinary({kToken, input, output});
    EXPECT_EQ(ExitStatus(ExitCode::kBuilt), result.exit_code) << symbolic;
    ASSERT_TRUE(FileExists(output)) << symbolic;
    EXPECT_NE(std::string::npos, ReadWholeFile(output).find("path=\"0\"")) << symbolic;
    EXPECT_FALSE(FileExists(input)) << symbolic;
  }
}

TEST_F(RunGalleryTest, InputThatIsNoFileIsLeftAlone) {
  ASSERT_EQ(0, mkfifo(folder_.Join("fifo.xml").c_str(), 0600));
  std::filesystem::create_directories(folder_.Join("folder.xml"));
  struct Case {
    std::vector<std::string> arguments;
    int exit_code;
  };
  for (const char* name : {"fifo.xml", "folder.xml"}) {
    const std::string input = folder_.Join(name);
    const Case cases[] = {
        {{kToken, input, folder_.Join("out/collection.xml"), "thumbs"},
         ExitStatus(ExitCode::kLoadFailed)},
        {{"wrong", input, folder_.Join("out/collection.xml")}, ExitStatus(ExitCode::kWrongToken)},
        {{kToken, input}, ExitStatus(ExitCode::kUsage)},
    };
    for (const Case& c : cases) {
      BinaryResult result = RunGallerygenBinary(c.arguments);
      EXPECT_EQ(c.exit_code, result.exit_code) << name;
      EXPECT_EQ("", result.output) << name;
      EXPECT_TRUE(FileExists(input)) << name << " was removed";
    }
  }
  // A link is the host's name for its file: the link goes, the file it names stays.
  const std::string target = WriteCollection("target.xml", PhotoElement());
  ASSERT_EQ(0, symlink(target.c_str(), folder_.Join("link.xml").c_str()));
  BinaryResult linked = RunGallerygenBinary(
      {kToken, folder_.Join("link.xml"), folder_.Join("out/collection.xml"), "thumbs"});
  EXPECT_EQ(ExitStatus(ExitCode::kBuilt), linked.exit_code);
  struct stat info;
  EXPECT_NE(0, lstat(folder_.Join("link.xml").c_str(), &info));
  EXPECT_TRUE(FileExists(target));
}

TEST_F(RunGalleryTest, OutputPathThatIsAFolderExitsFourAndWritesNothing) {
  std::string input = WriteCollection("in.xml", PhotoElement());
  BinaryResult result = RunGallerygenBinary({kToken, input, folder_.Join("out"), "thumbs"});
  EXPECT_EQ(ExitStatus(ExitCode::kGenerateFailed), result.exit_code);
  EXPECT_EQ("", result.output);
  EXPECT_FALSE(FileExists(input));
  EXPECT_FALSE(FileExists(folder_.Join("images")));
  EXPECT_TRUE(std::filesystem::is_empty(folder_.Join("out")));
}

TEST_F(RunGalleryTest, PhotosBesideTheirCollectionAreNeverReplaced) {
  // The user's own photos, named as page images are, in the folder the relative paths resolve
  // to, and the gallery asked for in that same folder.
  std::filesystem::create_directories(folder_.Join("images"));
  for (const char* name : {"0.jpg", "1.jpg"}) {
    std::filesystem::copy_file(folder_.Join("photo.jpg"),
                               folder_.Join(std::string("images/") + name));
  }
  const std::string original = ReadWholeFile(folder_.Join("photo.jpg"));
  struct Case {
    const char* input;
    std::string photos;
  };
  const Case cases[] = {
      {"in.xml", "<photo title=\"A\" path=\"1.jpg\"/><photo title=\"B\" path=\"0.jpg\"/>"},
      {"in.xml", "<photo title=\"A\" path=\"0.jpg\"/>"},
      {"in.xml",
       "<photo title=\"A\" path=\"" + folder_.Join("images/1.jpg") + "\"/>" + PhotoElement()},
      // The input itself under a name the gallery writes, which it would then delete.
      {"index.htm", PhotoElement()},
  };
  for (const Case& c : cases) {
    std::string input = WriteCollection(c.input, c.photos);
    BinaryResult result =
        RunGallerygenBinary({kToken, input, folder_.Join("collection.xml"), "thumbs"});
    EXPECT_EQ(ExitStatus(ExitCode::kGenerateFailed), result.exit_code) << c.input;
    EXPECT_EQ("", result.output) << c.input;
    EXPECT_FALSE(FileExists(input)) << c.input << ": the input is deleted as always";
    for (const char* name : {"images/0.jpg", "images/1.jpg"}) {
      EXPECT_EQ(original, ReadWholeFile(folder_.Join(name))) << c.input << ": " << name;
    }
    for (const char* name : {"pages", "thumbs", "border", "collection.xml"}) {
      EXPECT_FALSE(FileExists(folder_.Join(name))) << c.photos << ": " << name << " was written";
    }
  }
}

TEST_F(RunGalleryTest, ColonInARelativePhotoNameIsPartOfIt) {
  std::filesystem::create_directories(folder_.Join("images"));
  std::filesystem::copy_file(folder_.Join("photo.jpg"), folder_.Join("images/12:30 lunch.jpg"));
  std::string input =
      WriteCollection("in.xml", "<photo title=\"Lunch\" path=\"12:30 lunch.jpg\"/>");
  BinaryResult result =
      RunGallerygenBinary({kToken, input, folder_.Join("out/collection.xml"), "thumbs"});
  EXPECT_EQ(ExitStatus(ExitCode::kBuilt), result.exit_code);
  EXPECT_TRUE(FileExists(folder_.Join("out/images/0.jpg")));
  EXPECT_TRUE(FileExists(folder_.Join("out/thumbs/0.jpg")));
}

TEST_F(RunGalleryTest, SecondRunOnAGalleryWaitsForTheFirst) {
  // This process plays the first run: it holds the gallery root's lock while gallerygen starts.
  std::optional<CFolderLock> first_run(std::in_place, folder_.Join("out"));
  ASSERT_TRUE(first_run->held());
  std::string input = WriteCollection("in.xml", PhotoElement());
  BinaryResult result;
  std::thread second_run([&] {
    result = RunGallerygenBinary({kToken, input, folder_.Join("out/collection.xml"), "thumbs"});
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  EXPECT_TRUE(std::filesystem::is_empty(folder_.Join("out"))) << "the second run did not wait";
  first_run.reset();
  second_run.join();
  EXPECT_EQ(ExitStatus(ExitCode::kBuilt), result.exit_code);
  EXPECT_TRUE(FileExists(folder_.Join("out/collection.xml")));
}

}  // namespace
}  // namespace gallery
