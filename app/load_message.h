#ifndef GALLERY_APP_LOAD_MESSAGE_H_
#define GALLERY_APP_LOAD_MESSAGE_H_

#include <string>

namespace gallery {
struct XmlParseFault;

// What is wrong at the place a parse failed, as the end of "is not well-formed XML: ...", one
// sentence ending in a full stop and saying how to mend it where that is plain.
std::string DescribeXmlFault(const XmlParseFault& fault);

// The error line for the file `path` that is not well-formed XML: "PATH:LINE:COLUMN: is not
// well-formed XML: " then `DescribeXmlFault`, then what to do. The position is left out where
// the parser gave none.
std::string NotWellFormedMessage(const std::string& path, const XmlParseFault& fault);

}  // namespace gallery

#endif  // GALLERY_APP_LOAD_MESSAGE_H_
