#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/gallery_cli.h"
#include "app/presets.h"
#include "app/start_up.h"

namespace {

int TerminalWidth() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  if (const char* columns = std::getenv("COLUMNS")) {
    int width = std::atoi(columns);
    if (width > 0) return width;
  }
  return 80;
}

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv) {
  // The front end explains failures itself; the libraries' own warnings would only confuse.
  gallery::StartUpProcess();
  gallery::CCliEnvironment environment(std::cout, std::cerr);
  environment.err_is_terminal = isatty(STDERR_FILENO) != 0;
  environment.terminal_width = TerminalWidth();
  environment.preset_folder = gallery::DefaultPresetFolder();
  environment.clock = SteadySeconds;
  return gallery::ExitStatus(
      gallery::RunGalleryCli(std::vector<std::string>(argv + 1, argv + argc), environment));
}
