#ifndef GALLERY_APP_COMMAND_LINE_H_
#define GALLERY_APP_COMMAND_LINE_H_

#include <string>
#include <string_view>
#include <vector>

namespace gallery {

// The start-up command-line text of a run: each of `arguments` between double quotes, joined by
// one space.
std::string JoinCommandLine(const std::vector<std::string>& arguments);

// Splits a command-line text at every double quote. Each piece between two quotes is trimmed of
// white space at both ends and kept when anything is left; the text after the last quote is
// dropped. Nothing escapes a quote.
std::vector<std::string> SplitCommandLine(std::string_view text);

}  // namespace gallery

#endif  // GALLERY_APP_COMMAND_LINE_H_
