#include "collection/collection_document.h"

namespace gallery {

bool CCollectionDocument::Create() { return false; }
bool CCollectionDocument::BeginCollection(const std::string&, const std::string&) { return false; }
bool CCollectionDocument::AddPhoto() { return false; }
bool CCollectionDocument::SetPhotoAttribute(std::string_view, std::string_view) { return false; }
bool CCollectionDocument::Save(const std::string&) { return false; }

}  // namespace gallery
