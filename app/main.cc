#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/run.h"
#include "app/start_up.h"

int main(int argc, char** argv) {
  gallery::StartUpProcess();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return gallery::ExitStatus(
      gallery::RunGallery(gallery::SplitCommandLine(gallery::JoinCommandLine(arguments))));
}
