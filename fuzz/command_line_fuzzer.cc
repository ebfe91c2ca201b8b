// Splits arbitrary command-line texts and checks what every split must give.
#include <stddef.h>
#include <stdint.h>

#include <cstdlib>
#include <string_view>

#include "app/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> arguments = gallery::SplitCommandLine(text);
  size_t total = 0;
  for (const std::string& argument : arguments) {
    // Arguments are never empty, never hold a quote and never start or end with a blank.
    if (argument.empty() || argument.find('"') != std::string::npos) std::abort();
    if (argument.front() == ' ' || argument.back() == ' ') std::abort();
    total += argument.size();
  }
  if (total > size) std::abort();
  // Quoting the pieces again and splitting gives the same pieces.
  if (gallery::SplitCommandLine(gallery::JoinCommandLine(arguments)) != arguments) std::abort();
  return 0;
}
