#ifndef GALLERY_PLATFORM_IMAGING_RUNTIME_H_
#define GALLERY_PLATFORM_IMAGING_RUNTIME_H_

#include <cstdint>
#include <optional>

namespace gallery {

// Starts the imaging library with the first instance and stops it with the last. The library
// cannot start again once stopped, so a process keeps one instance for as long as it needs
// images (the builder holds one; the test runner one for the whole run). Starting also silences
// every message the imaging, GLib and XML libraries would print.
class CImagingRuntime {
 public:
  CImagingRuntime();
  ~CImagingRuntime();
  CImagingRuntime(const CImagingRuntime&) = delete;
  CImagingRuntime& operator=(const CImagingRuntime&) = delete;

  // False when the library could not be started; every imaging operation then fails.
  bool started() const;
};

// The optional format modules of the imaging library that photo formats need. The library
// starts without any module; each is loaded the first time a source needs it, once for the
// process, and of what it brings only the loader of that photo format can ever run.
enum class FormatModule { kHeif, kJpegXl, kMagick };

// True when the module's loader is there (loaded now or earlier).
bool LoadFormatModule(FormatModule module);

// How many threads the imaging library may use inside one operation; 0 restores its default.
void SetImagingThreadCount(int threads);

// Gives the system back the memory freed inside the heaps, called after each photo: a photo
// decoded whole leaves its coefficients' pages free in the heap of the thread that made it,
// and with one heap per worker both would otherwise keep their largest photo's share.
void ReturnFreedMemory();

// The bytes of address space the process may use: the lower of its address-space and data
// limits, or nothing when neither is set.
std::optional<int64_t> ReadMemoryLimit();

// The bytes of address space left under that limit once the imaging library has started, as
// measured then, or nothing when no limit is in force. Under a limit the library starts with
// every photo format module loaded and without its run-time code generator (which ends the
// process when it cannot map memory), so that nothing it maps later depends on the photos.
std::optional<int64_t> MemoryHeadroom();

// Sets the process's memory allocator up for image work; call it first thing in main, before
// any thread starts. Photos are decoded and encoded through buffers of tens of kilobytes to
// megabytes on many short-lived library threads. By default each thread gets an arena of its
// own and memory freed at the top of a heap goes back to the system at once, so every photo
// takes page faults on fresh pages again. Two arenas that keep what they were given halve the
// page faults of a run without raising its peak memory. Under a memory limit, where address
// space counts rather than pages, there is one arena instead (every further one reserves 64 MB),
// freed memory goes back sooner, and threads get stacks of 2 MB instead of 8 MB.
void TuneMemoryForImageWork();

// Silences the messages of GLib, libvips and libxml2 for the whole process. Idempotent.
void SilenceLibraryMessages();

// Points standard output and standard error at /dev/null, for a program that never prints:
// some decoders (JPEG XL) write a line about every fault they meet in damaged data straight to
// standard error, past any message hook. True when both were redirected.
bool DiscardStandardOutput();

}  // namespace gallery

#endif  // GALLERY_PLATFORM_IMAGING_RUNTIME_H_
