#ifndef GALLERY_TESTS_JPEG_INSPECTION_H_
#define GALLERY_TESTS_JPEG_INSPECTION_H_

#include <string>
#include <string_view>
#include <vector>

#include <vips/vips8>

namespace gallery {

// The payloads of every quantisation table segment of a JPEG file, in file order, joined. Two
// encodes at the same quality give the same text; empty when the bytes are no JPEG file.
std::string QuantisationTables(std::string_view jpeg);

// The markers (the byte after 0xFF) of every segment before the image data, in file order.
std::vector<int> HeaderMarkers(std::string_view jpeg);

// The decoded image of JPEG bytes; a 1 x 1 black image when they cannot be decoded.
vips::VImage DecodeJpeg(const std::string& jpeg);

}  // namespace gallery

#endif  // GALLERY_TESTS_JPEG_INSPECTION_H_
