// Times, in CPU seconds of one thread, each step of making a modern gallery's five images of
// every photo named on the command line, the sizes and qualities a build makes, and prints them
// per photo and in total:
//   - decode: the photo decoded at half size;
//   - resample: that resampled to the page image, 2048 pixels wide, by the kernel given first
//     (nearest, linear, cubic, mitchell, lanczos2 or lanczos3; a build uses cubic);
//   - decode again: the page image's JPEG decoded for the smaller sizes, whole for the large
//     one (1536 pixels wide), at half size for the medium one (1024, which needs no resampling)
//     and the 2x thumbnail (480 pixels high), at a quarter for the thumbnail (240 high);
//   - resample smaller: the large size and the two thumbnails resampled;
//   - encode: the five files encoded, the page image and the thumbnail at quality 90, the
//     others at 85.
// Each image is made in memory before it is encoded, so that the steps can be told apart; a
// build streams them, in about the same CPU time in all. With the kernel `nearest`, resampling
// costs about the least this library can do it in; decode and encode alone are what the JPEG
// codec must do whatever resamples.
//   build-release/bench_image_steps cubic PHOTO...
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <string>

#include <vips/vips8>

using vips::VImage;

namespace {

double CpuSeconds() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

VImage Fit(const VImage& image, int width, int height, VipsKernel kernel) {
  return image.resize(static_cast<double>(width) / image.width(),
                      VImage::option()
                          ->set("vscale", static_cast<double>(height) / image.height())
                          ->set("kernel", kernel));
}

VipsBlob* EncodeToBlob(const VImage& image, int quality) {
  return image.jpegsave_buffer(VImage::option()->set("Q", quality)->set("strip", true));
}

void Encode(const VImage& image, int quality) {
  vips_area_unref(VIPS_AREA(EncodeToBlob(image, quality)));
}

// The height that keeps the page image's shape at `width`.
int HeightAt(const VImage& page, int width) {
  return static_cast<int>(std::lround(static_cast<double>(page.height()) * width / page.width()));
}

enum Step { kDecode, kResample, kDecodeAgain, kResampleSmaller, kEncode, kSteps };
const char* const kStepNames[kSteps] = {"decode", "resample", "decode again", "resample smaller",
                                        "encode"};

void Print(const char* name, const double (&steps)[kSteps]) {
  double sum = 0;
  std::printf("%s:", name);
  for (int step = 0; step < kSteps; ++step) {
    std::printf(" %s %.3f,", kStepNames[step], steps[step]);
    sum += steps[step];
  }
  std::printf(" all %.3f s (codec alone %.3f)\n", sum,
              steps[kDecode] + steps[kDecodeAgain] + steps[kEncode]);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || VIPS_INIT(argv[0]) != 0) {
    std::fprintf(stderr, "usage: %s KERNEL PHOTO...\n", argv[0]);
    return 1;
  }
  vips_cache_set_max(0);
  vips_concurrency_set(1);
  const int kernel_value = vips_enum_from_nick(argv[0], VIPS_TYPE_KERNEL, argv[1]);
  if (kernel_value < 0) return 1;
  const auto kernel = static_cast<VipsKernel>(kernel_value);
  double total[kSteps] = {};
  for (int i = 2; i < argc; ++i) {
    double steps[kSteps] = {};
    double mark = CpuSeconds();
    const auto lap = [&](Step step) {
      const double now = CpuSeconds();
      steps[step] += now - mark;
      mark = now;
    };
    const VImage half =
        VImage::jpegload(argv[i],
                         VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL)->set("shrink", 2))
            .copy_memory();
    lap(kDecode);
    const VImage page = Fit(half, 2048, HeightAt(half, 2048), kernel).copy_memory();
    lap(kResample);
    VipsBlob* jpeg = EncodeToBlob(page, 90);
    lap(kEncode);
    const auto again = [&](int shrink) {
      const VImage decoded =
          VImage::jpegload_buffer(
              jpeg, VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL)->set("shrink", shrink))
              .copy_memory();
      lap(kDecodeAgain);
      return decoded;
    };
    const auto fit = [&](const VImage& image, int width, int height) {
      const VImage fitted = Fit(image, width, height, kernel).copy_memory();
      lap(kResampleSmaller);
      return fitted;
    };
    const auto encode = [&](const VImage& image, int quality) {
      Encode(image, quality);
      lap(kEncode);
    };
    const int thumb = 240 * page.width() / page.height();
    encode(fit(again(1), 1536, HeightAt(page, 1536)), 85);
    encode(again(2), 85);
    encode(fit(again(2), 2 * thumb, 480), 85);
    encode(fit(again(4), thumb, 240), 90);
    vips_area_unref(VIPS_AREA(jpeg));
    Print(argv[i], steps);
    for (int step = 0; step < kSteps; ++step) total[step] += steps[step];
  }
  Print("total", total);
  return 0;
}
