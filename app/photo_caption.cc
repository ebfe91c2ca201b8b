#include "app/photo_caption.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "theme/page_words.h"

namespace gallery {
namespace {

std::optional<long> ParseWhole(std::string_view digits) {
  long value = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, value);
  if (digits.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// "28/5", "5.6" or "400" as a positive finite number.
std::optional<double> ParseNumber(std::string_view text) {
  const size_t slash = text.find('/');
  if (slash != std::string_view::npos) {
    const std::optional<long> top = ParseWhole(text.substr(0, slash));
    const std::optional<long> bottom = ParseWhole(text.substr(slash + 1));
    if (!top || !bottom || *top <= 0 || *bottom <= 0) return std::nullopt;
    return static_cast<double>(*top) / static_cast<double>(*bottom);
  }
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || !(value > 0) ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

// One decimal at most, none when it is 0: 5.6, 8, 35.
std::string Short(double value) {
  const long tenths = std::lround(value * 10);
  std::string text = std::to_string(tenths / 10);
  if (tenths % 10 != 0) text += "." + std::to_string(tenths % 10);
  return text;
}

std::string FormatExposureTime(const std::string& text) {
  const std::optional<double> seconds = ParseNumber(text);
  if (!seconds) return "";
  if (*seconds >= 0.5) return Short(*seconds) + " s";
  return "1/" + std::to_string(std::lround(1.0 / *seconds)) + " s";
}

}  // namespace

std::vector<std::string> FormatCaption(const CPhotoFacts& facts, PageLanguage language) {
  std::vector<std::string> lines;
  if (std::optional<std::string> date = FormatDateTaken(language, facts.date_taken)) {
    lines.push_back(*date);
  }
  std::string camera = facts.model;
  if (!facts.make.empty() && camera.compare(0, facts.make.size(), facts.make) != 0) {
    camera = camera.empty() ? facts.make : facts.make + " " + camera;
  }
  if (!camera.empty()) lines.push_back(camera);
  std::string exposure;
  auto add = [&exposure](const std::string& part) {
    if (part.empty()) return;
    exposure += (exposure.empty() ? "" : " \u00b7 ") + part;
  };
  add(FormatExposureTime(facts.exposure_time));
  const std::optional<double> f_number = ParseNumber(facts.f_number);
  add(f_number ? "f/" + Short(*f_number) : "");
  const std::optional<long> iso = ParseWhole(facts.iso);
  add(iso && *iso > 0 ? "ISO " + std::to_string(*iso) : "");
  const std::optional<double> focal = ParseNumber(facts.focal_length);
  add(focal ? Short(*focal) + " mm" : "");
  if (!exposure.empty()) lines.push_back(exposure);
  return lines;
}

}  // namespace gallery
