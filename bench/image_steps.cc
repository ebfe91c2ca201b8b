// Times, in CPU seconds of one thread, each step of making a modern gallery's images of every
// photo named on the command line, the way a build makes them, and prints them per photo and
// in total: decoding at half size, resampling the page image to 2048 pixels wide (by the
// kernel given first: lanczos3, cubic, lanczos2, mitchell or linear), encoding it, and making
// the three smaller sizes (1024, 720 and 360 pixels wide) from the page image's JPEG decoded
// again at a reduced size, as the build does.
//   build-release/bench_image_steps cubic PHOTO...
#include <sys/resource.h>

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

size_t Encode(const VImage& image) {
  VipsBlob* blob = image.jpegsave_buffer(VImage::option()->set("Q", 85)->set("strip", true));
  const size_t length = VIPS_AREA(blob)->length;
  vips_area_unref(VIPS_AREA(blob));
  return length;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || VIPS_INIT(argv[0]) != 0) {
    std::fprintf(stderr, "usage: %s KERNEL PHOTO...\n", argv[0]);
    return 1;
  }
  vips_cache_set_max(0);
  vips_concurrency_set(1);
  const int kernel = vips_enum_from_nick(argv[0], VIPS_TYPE_KERNEL, argv[1]);
  if (kernel < 0) return 1;
  double total[4] = {0, 0, 0, 0};
  for (int i = 2; i < argc; ++i) {
    const auto load = [&](int shrink) {
      return VImage::jpegload(
          argv[i], VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL)->set("shrink", shrink));
    };
    const double start = CpuSeconds();
    const VImage half = load(2).copy_memory();
    const double decoded = CpuSeconds();
    const int width = 2048;
    const int height = static_cast<int>(half.height() * 2048.0 / half.width() + 0.5);
    const VImage page = Fit(half, width, height, static_cast<VipsKernel>(kernel)).copy_memory();
    const double resampled = CpuSeconds();
    VipsBlob* jpeg = page.jpegsave_buffer(VImage::option()->set("Q", 85)->set("strip", true));
    const double encoded = CpuSeconds();
    const auto again = [&](int shrink) {
      return VImage::jpegload_buffer(
          jpeg, VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL)->set("shrink", shrink));
    };
    Encode(again(2));
    Encode(Fit(again(2), 720, height * 720 / width, static_cast<VipsKernel>(kernel)));
    Encode(Fit(again(4), 360, height * 360 / width, static_cast<VipsKernel>(kernel)));
    const double smaller = CpuSeconds();
    vips_area_unref(VIPS_AREA(jpeg));
    const double steps[4] = {decoded - start, resampled - decoded, encoded - resampled,
                             smaller - encoded};
    std::printf("%s: decode %.3f, resample %.3f, encode %.3f, smaller sizes %.3f s\n", argv[i],
                steps[0], steps[1], steps[2], steps[3]);
    for (int step = 0; step < 4; ++step) total[step] += steps[step];
  }
  std::printf("total: decode %.3f, resample %.3f, encode %.3f, smaller sizes %.3f s\n", total[0],
              total[1], total[2], total[3]);
  return 0;
}
