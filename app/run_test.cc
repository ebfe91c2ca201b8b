#include "app/run.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/run_binary.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

const std::string kToken(kAccessToken);

TEST(RunTest, TooFewArgumentsExitOneAndDeleteOnlyTheSecond) {
  TempFolder folder;
  std::string input = folder.WriteFile("in.xml", "<collection><style/></collection>");

  BinaryResult none = RunGallerygenBinary({});
  EXPECT_EQ(kExitTooFewArguments, none.exit_code);
  EXPECT_EQ("", none.output);

  BinaryResult one = RunGallerygenBinary({input});
  EXPECT_EQ(kExitTooFewArguments, one.exit_code);
  EXPECT_TRUE(FileExists(input)) << "a single argument deletes nothing";

  BinaryResult two = RunGallerygenBinary({kToken, input});
  EXPECT_EQ(kExitTooFewArguments, two.exit_code);
  EXPECT_FALSE(FileExists(input)) << "the second argument is deleted";
  EXPECT_EQ("", two.output);
}

TEST(RunTest, WrongTokenExitsTwoAndDeletesInput) {
  TempFolder folder;
  for (const std::string& token : {std::string("kd4wPz7Qa1Xn9TbM"), std::string("nope"),
                                  kToken + "x"}) {
    std::string input = folder.WriteFile("in.xml", "<collection><style/></collection>");
    BinaryResult result = RunGallerygenBinary({token, input, folder.Join("out/c.xml")});
    EXPECT_EQ(kExitWrongToken, result.exit_code) << token;
    EXPECT_FALSE(FileExists(input)) << token;
    EXPECT_EQ("", result.output) << token;
  }
}

TEST(RunTest, EmptyArgumentShiftsTheOthers) {
  TempFolder folder;
  std::string input = folder.WriteFile("in.xml", "x");
  // Token, empty, input: only two arguments remain, so the run stops with 1 after deleting.
  BinaryResult result = RunGallerygenBinary({kToken, "", input});
  EXPECT_EQ(kExitTooFewArguments, result.exit_code);
  EXPECT_FALSE(FileExists(input));
}

}  // namespace
}  // namespace gallery
