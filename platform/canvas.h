#ifndef GALLERY_PLATFORM_CANVAS_H_
#define GALLERY_PLATFORM_CANVAS_H_

#include <memory>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace gallery {

// An 8-bit RGB image in memory that can be drawn on and encoded as JPEG. It is a value:
// drawing on one copy never changes another. Colours are ints with red in the
// lowest byte, then green, then blue; the top byte is ignored. Coordinates run right and down
// from (0, 0) at the top-left pixel; whatever a drawing puts outside the canvas is clipped.
// A drawing the imaging library cannot do returns false and leaves the canvas as it was.
// A moved-from canvas may only be assigned to or destroyed.
class CCanvas {
 public:
  // A `width` x `height` canvas of one colour; nothing for a side under 1 or no memory.
  static std::optional<CCanvas> Filled(int width, int height, int colour);
  // A canvas from `width` x `height` pixels of 4 bytes (blue, green, red, unused), rows without
  // gaps, the first row at the top. The bytes are copied. Nothing for no buffer or a side
  // under 1.
  static std::optional<CCanvas> FromBgrxPixels(const unsigned char* pixels, int width, int height);
  // The same from pixels of 3 bytes (red, green, blue), which the library takes as they are.
  static std::optional<CCanvas> FromRgbPixels(const unsigned char* pixels, int width, int height);

  // Copies share their pixels until one of them is drawn on, which then takes its own.
  CCanvas(const CCanvas& other);
  CCanvas& operator=(const CCanvas& other);
  CCanvas(CCanvas&& other) noexcept;
  CCanvas& operator=(CCanvas&& other) noexcept;
  ~CCanvas();

  int width() const;
  int height() const;

  // A one-pixel line from (x1, y1) to (x2, y2) that covers both end points.
  bool DrawLine(int x1, int y1, int x2, int y2, int colour);
  // The one-pixel outline of the rectangle: its outermost rows and columns, so the pixels from
  // x to x + width - 1 and y to y + height - 1. An empty rectangle draws nothing.
  bool DrawRectangle(int x, int y, int width, int height, int colour);
  // Every pixel of the rectangle in one colour.
  bool FillRectangle(int x, int y, int width, int height, int colour);
  // The rectangle covered with copies of `tile` repeated in both directions, one copy's top-left
  // corner at (origin_x, origin_y) (which may lie anywhere, inside the rectangle or not).
  bool FillTiled(int x, int y, int width, int height, const CCanvas& tile, int origin_x,
                 int origin_y);
  // Turns the image upside down: the top row becomes the bottom row.
  bool FlipVertically();

  // The colour of one pixel; nothing outside the canvas.
  std::optional<int> GetPixel(int x, int y) const;

  // The image as the bytes of a baseline JPEG file without any metadata. `quality` is clamped
  // to 1 to 100, the range of the encoder. Nothing when the encoder fails.
  std::optional<std::string> EncodeJpeg(int quality) const;

 private:
  struct Impl;
  explicit CCanvas(std::shared_ptr<Impl> impl);
  // Gives this canvas pixels that no copy shares, before it is drawn on.
  bool MakeUnique();

  std::shared_ptr<Impl> impl_;
};

// `EncodeJpeg` written to `path` through `WriteFileBytes`: the file holds the whole image or
// keeps what it held. False when nothing was written.
bool SaveJpeg(const CCanvas& canvas, const std::string& path, int quality);
// `SaveJpeg`, telling why it failed (kOther when the image could not be encoded).
WriteFailure TrySaveJpeg(const CCanvas& canvas, const std::string& path, int quality);

}  // namespace gallery

#endif  // GALLERY_PLATFORM_CANVAS_H_
