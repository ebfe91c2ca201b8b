#include "app/command_line.h"

namespace gallery {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view Trim(std::string_view piece) {
  while (!piece.empty() && IsBlank(piece.front())) piece.remove_prefix(1);
  while (!piece.empty() && IsBlank(piece.back())) piece.remove_suffix(1);
  return piece;
}

}  // namespace

std::string JoinCommandLine(const std::vector<std::string>& arguments) {
  std::string text;
  for (const std::string& argument : arguments) {
    if (!text.empty()) text += ' ';
    text += '"';
    text += argument;
    text += '"';
  }
  return text;
}

std::vector<std::string> SplitCommandLine(std::string_view text) {
  std::vector<std::string> arguments;
  size_t piece_start = 0;
  for (size_t quote = text.find('"'); quote != std::string_view::npos;
       quote = text.find('"', piece_start)) {
    std::string_view piece = Trim(text.substr(piece_start, quote - piece_start));
    if (!piece.empty()) arguments.emplace_back(piece);
    piece_start = quote + 1;
  }
  return arguments;
}

}  // namespace gallery
