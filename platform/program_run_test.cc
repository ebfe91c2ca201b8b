#include "platform/program_run.h"

#include <sys/stat.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/temp_folder.h"

namespace gallery {
namespace {

TEST(FindProgramTest, TakesTheFirstExecutableFileOnThePath) {
  TempFolder folder;
  for (const char* name : {"plain", "first", "second"}) mkdir(folder.Join(name).c_str(), 0755);
  const std::string plain = folder.WriteFile("plain/tool", "#!/bin/sh\n");
  const std::string first = folder.WriteFile("first/tool", "#!/bin/sh\n");
  const std::string second = folder.WriteFile("second/tool", "#!/bin/sh\n");
  chmod(first.c_str(), 0755);
  chmod(second.c_str(), 0755);
  static_cast<void>(plain);
  const std::string path = folder.Join("missing") + "::relative:" + folder.Join("plain") + ":" +
                           folder.Join("first") + ":" + folder.Join("second");
  EXPECT_EQ(first, FindProgram("tool", path).value_or(""));
  EXPECT_EQ(second, FindProgram("tool", folder.Join("second")).value_or(""));
  // A file that may not be run, a folder, a name with a slash and an empty PATH find nothing.
  EXPECT_FALSE(FindProgram("tool", folder.Join("plain")));
  EXPECT_FALSE(FindProgram("second", folder.path()));
  EXPECT_FALSE(FindProgram("second/tool", folder.path()));
  EXPECT_FALSE(FindProgram("tool", ""));
}

TEST(RunProgramTest, KeepsTheOutputAndExitStatusAndStopsARunPastItsTime) {
  const CProgramRun echo = RunProgram({"/bin/sh", "-c", "echo out; echo err >&2; exit 3"}, 10);
  EXPECT_TRUE(echo.started);
  EXPECT_FALSE(echo.timed_out);
  EXPECT_EQ(3, echo.exit_status);
  EXPECT_EQ("out\n", echo.output);

  // Standard input is empty, so nothing waits on it.
  const CProgramRun reader = RunProgram({"/bin/cat"}, 10);
  EXPECT_EQ(0, reader.exit_status);
  EXPECT_EQ("", reader.output);

  // One that closes its output and stays, and one that keeps writing, are both stopped.
  for (const char* script : {"exec >&-; sleep 30", "while :; do echo y; done"}) {
    const CProgramRun slow = RunProgram({"/bin/sh", "-c", script}, 1);
    EXPECT_TRUE(slow.timed_out) << script;
    EXPECT_EQ(-1, slow.exit_status) << script;
  }

  EXPECT_FALSE(RunProgram({"/no/such/program"}, 10).started);
  EXPECT_FALSE(RunProgram({}, 10).started);
}

}  // namespace
}  // namespace gallery
