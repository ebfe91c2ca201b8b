#include "platform/collation.h"

#include <string>

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/stringpiece.h>

namespace gallery {

struct CCollator::Rules {
  std::unique_ptr<icu::Collator> collator;
};

CCollator::CCollator(std::string_view language) {
  UErrorCode status = U_ZERO_ERROR;
  const std::string code(language);
  std::unique_ptr<icu::Collator> collator(
      icu::Collator::createInstance(icu::Locale(code.c_str()), status));
  if (U_FAILURE(status) || collator == nullptr) return;
  collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
  collator->setStrength(icu::Collator::SECONDARY);
  if (U_FAILURE(status)) return;
  rules_ = std::make_unique<Rules>(Rules{std::move(collator)});
}

CCollator::CCollator(CCollator&&) noexcept = default;
CCollator& CCollator::operator=(CCollator&&) noexcept = default;
CCollator::~CCollator() = default;

bool CCollator::Less(std::string_view left, std::string_view right) const {
  if (rules_ != nullptr) {
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult order = rules_->collator->compareUTF8(
        icu::StringPiece(left.data(), static_cast<int32_t>(left.size())),
        icu::StringPiece(right.data(), static_cast<int32_t>(right.size())), status);
    if (U_SUCCESS(status) && order != UCOL_EQUAL) return order == UCOL_LESS;
  }
  return left < right;
}

}  // namespace gallery
