#include <signal.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/run.h"
#include "platform/imaging_runtime.h"

int main(int argc, char** argv) {
  // Past a file-size limit a write must fail like any other write (the file is then passed
  // over), not end the process.
  signal(SIGXFSZ, SIG_IGN);
  gallery::TuneMemoryForImageWork();
  gallery::SilenceLibraryMessages();
  static_cast<void>(gallery::DiscardStandardOutput());
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return gallery::RunGallery(gallery::SplitCommandLine(gallery::JoinCommandLine(arguments)));
}
