#ifndef GALLERY_PLATFORM_COLLATION_H_
#define GALLERY_PLATFORM_COLLATION_H_

#include <memory>
#include <string_view>

namespace gallery {

// Orders names as a person of one language expects: letters by that language's rules with accents
// after the letters they mark ("Été" before "Zoë") and no regard to case, runs of digits by their
// value ("img2" before "img10"); names that compare equal so are ordered bytewise. Texts are
// UTF-8; bytes that are no part of a valid character sort as U+FFFD. Safe to use from several
// threads at once.
class CCollator {
 public:
  // For `language`, a two-letter code such as "de"; the root rules, which serve most languages
  // written in Latin letters, for one the library does not know.
  explicit CCollator(std::string_view language);
  CCollator(CCollator&&) noexcept;
  CCollator& operator=(CCollator&&) noexcept;
  ~CCollator();

  bool Less(std::string_view left, std::string_view right) const;

 private:
  struct Rules;
  std::unique_ptr<Rules> rules_;  // empty when the library could not make any: bytewise then
};

}  // namespace gallery

#endif  // GALLERY_PLATFORM_COLLATION_H_
