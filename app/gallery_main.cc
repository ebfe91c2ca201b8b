#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/gallery_cli.h"
#include "app/gallery_options.h"
#include "app/interruption.h"
#include "app/presets.h"
#include "app/start_up.h"
#include "cache/result_cache.h"
#include "platform/imaging_runtime.h"
#include "theme/page_words.h"

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
  // A build asked to stop rolls back before the process ends by the signal.
  gallery::CatchInterruptions();
  // A reader of the progress that goes away (`gallery ... 2>&1 | head -1`) ends only the
  // progress: later writes fail with EPIPE, which leaves the stream failed and silent, while
  // the build goes on to an end whose exit code says how it went.
  signal(SIGPIPE, SIG_IGN);
  gallery::CCliEnvironment environment(std::cout, std::cerr);
  environment.err_is_terminal = isatty(STDERR_FILENO) != 0;
  environment.terminal_width = TerminalWidth();
  environment.preset_folder = gallery::DefaultPresetFolder();
  auto variable = [](const char* name) {
    const char* value = std::getenv(name);
    return std::string_view(value != nullptr ? value : "");
  };
  environment.locale_language =
      gallery::LanguageOfLocale(variable("LC_ALL"), variable("LC_MESSAGES"), variable("LANG"));
  environment.cache_folder = gallery::CacheFolderFor(std::getenv("XDG_CACHE_HOME"),
                                                     std::getenv("HOME"))
                                 .value_or("");
  // Without PATH, the shell's own default.
  environment.program_path =
      std::getenv("PATH") != nullptr ? std::getenv("PATH") : "/usr/local/bin:/usr/bin:/bin";
  environment.clock = SteadySeconds;
  environment.stop_requested = [] { return gallery::InterruptionSignal() != 0; };
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  // Only commands that make a gallery need the imaging library, which then stays up until the
  // end, as it cannot start again once stopped; listing presets does not start it.
  const gallery::CCliParse parse = gallery::ParseCliArguments(arguments);
  std::optional<gallery::CImagingRuntime> imaging;
  if (!parse.options || parse.options->command != gallery::CliCommand::kPresets) imaging.emplace();
  const gallery::ExitCode exit_code = gallery::RunGalleryCli(arguments, environment);
  if (const int signal_number = gallery::EndingSignal(); signal_number != 0) {
    gallery::EndBySignal(signal_number);
  }
  return gallery::ExitStatus(exit_code);
}
