#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/run.h"
#include "app/start_up.h"
#include "platform/imaging_runtime.h"

int main(int argc, char** argv) {
  gallery::StartUpProcess();
  // The host reads nothing from us but the exit code; a library that writes to the standard
  // streams anyway (the JPEG XL decoder does, about damaged files) must not reach it.
  static_cast<void>(gallery::DiscardStandardOutput());
  // The imaging library cannot start again once stopped, so it stays up for the whole run.
  gallery::CImagingRuntime imaging;
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return gallery::ExitStatus(
      gallery::RunGallery(gallery::SplitCommandLine(gallery::JoinCommandLine(arguments))));
}
