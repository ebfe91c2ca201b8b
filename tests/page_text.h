#ifndef GALLERY_TESTS_PAGE_TEXT_H_
#define GALLERY_TESTS_PAGE_TEXT_H_

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gallery {

using PlaceholderValues = std::vector<std::pair<std::string, std::string>>;

// The page with its CR LF line ends turned back into line feeds; a bare line feed fails the
// running test.
std::string WithLineFeeds(const std::string& page);
// The same for a page that must have been made; a page passed over fails the running test.
std::string WithLineFeeds(const std::optional<std::string>& page);

// `lines`, each followed by a line feed, with every placeholder of `values` filled in.
std::string Filled(std::span<const std::string_view> lines, const PlaceholderValues& values);

}  // namespace gallery

#endif  // GALLERY_TESTS_PAGE_TEXT_H_
