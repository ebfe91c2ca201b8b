#include "platform/imaging_runtime.h"

#include <fcntl.h>
#include <gmodule.h>
#include <malloc.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <vips/vips8>
// Declared in a header the library's own one does not bring in.
#include <vips/vector.h>

namespace gallery {
namespace {

std::mutex runtime_mutex;
int runtime_users = 0;
bool runtime_started = false;
bool runtime_stopped = false;
std::optional<int64_t> memory_headroom;

// The address space mapped now: the first figure of /proc/self/statm, in pages.
std::optional<int64_t> AddressSpaceInUse() {
  std::unique_ptr<FILE, decltype(&std::fclose)> statm(std::fopen("/proc/self/statm", "re"),
                                                      &std::fclose);
  if (!statm) return std::nullopt;
  long long pages = 0;
  if (std::fscanf(statm.get(), "%lld", &pages) != 1) return std::nullopt;
  return pages * sysconf(_SC_PAGESIZE);
}

// A home for the library under which no module folder can exist: a path through a file. The
// library then starts without its optional modules, whatever VIPSHOME says: they would bring
// loaders of documents and drawings (PDF, slides, everything ImageMagick reads), and loading
// them all costs half of the library's start-up, which every run pays while nearly every photo
// is a JPEG.
constexpr const char* kHomeWithoutModules = "/dev/null";

// The loaders that may ever run, by their type in the library, with all their variants (file,
// buffer, stream). Of ImageMagick only the buffer loader is kept, for bitmaps.
constexpr const char* kPhotoLoaderTypes[] = {"VipsForeignLoadJpeg",  "VipsForeignLoadPng",
                                             "VipsForeignLoadNsgif", "VipsForeignLoadTiff",
                                             "VipsForeignLoadWebp",  "VipsForeignLoadHeif",
                                             "VipsForeignLoadJxl",   "VipsForeignLoadMagickBuffer"};

void* BlockUnlessPhotoLoader(GType type, void*) {
  if (G_TYPE_IS_ABSTRACT(type)) return nullptr;
  for (const char* allowed : kPhotoLoaderTypes) {
    const GType allowed_type = g_type_from_name(allowed);
    if (allowed_type != 0 && g_type_is_a(type, allowed_type)) return nullptr;
  }
  vips_operation_block_set(g_type_name(type), TRUE);
  return nullptr;
}

// Blocks every loader but the photo loaders, so that nothing the library would pick by itself
// (SVG, PDF, matrix, CSV, raw, FITS, ...) can decode anything. Run again after each module: the
// loaders it registered start unblocked. A photo loader's flags are never written, so loads
// running meanwhile on other threads are not disturbed.
void BlockOtherLoaders() {
  vips_type_map_all(g_type_from_name("VipsForeignLoad"), BlockUnlessPhotoLoader, nullptr);
}

std::mutex module_mutex;
bool module_tried[3] = {false, false, false};
bool module_ready[3] = {false, false, false};

const char* ModuleFileName(FormatModule module) {
  switch (module) {
    case FormatModule::kHeif:
      return "vips-heif." G_MODULE_SUFFIX;
    case FormatModule::kJpegXl:
      return "vips-jxl." G_MODULE_SUFFIX;
    case FormatModule::kMagick:
      return "vips-magick." G_MODULE_SUFFIX;
  }
  return "";
}

bool OpenModule(FormatModule module) {
  const std::string path = std::string(GALLERY_VIPS_LIBDIR) + "/vips-modules-" +
                           std::to_string(VIPS_MAJOR_VERSION) + "." +
                           std::to_string(VIPS_MINOR_VERSION) + "/" + ModuleFileName(module);
  // A module registers its loaders and savers as it is opened; it then stays for good. A
  // library that ImageMagick brings (DjVu) installs, as it is loaded, a handler that turns
  // every failed allocation of the process into an exception of its own, which nothing
  // catches; the handler of before is put back.
  const std::new_handler handler = std::get_new_handler();
  GModule* opened = g_module_open(path.c_str(), G_MODULE_BIND_LAZY);
  std::set_new_handler(handler);
  if (opened == nullptr) return false;
  g_module_make_resident(opened);
  BlockOtherLoaders();
  return true;
}

// ImageMagick, which reads bitmaps here, takes settings from MAGICK_* variables when it starts.
// None of the caller's are kept: they could lift its resource limits or name other coders and
// configurations. Its temporary folder is a path through a file, so that it never writes a
// file (a pixel cache on disk, a copy of data it cannot read from memory): whatever would need
// one fails instead, as an undecodable source.
void SetUpImageMagickEnvironment() {
  std::vector<std::string> names;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text = *entry;
    if (text.rfind("MAGICK_", 0) == 0) names.emplace_back(text.substr(0, text.find('=')));
  }
  for (const std::string& name : names) unsetenv(name.c_str());
  setenv("MAGICK_TEMPORARY_PATH", kHomeWithoutModules, 1);
  setenv("MAGICK_DISK_LIMIT", "0", 1);
  setenv("MAGICK_THREAD_LIMIT", "1", 1);
}

void IgnoreGLibMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}
void IgnoreXmlMessage(void*, const char*, ...) {}
void IgnoreXmlError(void*, xmlErrorPtr) {}

}  // namespace

void SilenceLibraryMessages() {
  static std::once_flag once;
  std::call_once(once, [] {
    g_log_set_default_handler(IgnoreGLibMessage, nullptr);
    g_log_set_handler(
        nullptr,
        static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION),
        IgnoreGLibMessage, nullptr);
    g_log_set_handler("VIPS", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK), IgnoreGLibMessage,
                      nullptr);
    g_log_set_handler("GLib", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK), IgnoreGLibMessage,
                      nullptr);
    g_log_set_handler("GLib-GObject", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK),
                      IgnoreGLibMessage, nullptr);
    g_set_print_handler([](const gchar*) {});
    g_set_printerr_handler([](const gchar*) {});
    xmlSetGenericErrorFunc(nullptr, IgnoreXmlMessage);
    xmlSetStructuredErrorFunc(nullptr, IgnoreXmlError);
  });
}

bool DiscardStandardOutput() {
  const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null < 0) return false;
  const bool redirected = dup2(null, STDOUT_FILENO) >= 0 && dup2(null, STDERR_FILENO) >= 0;
  close(null);
  return redirected;
}

bool LoadFormatModule(FormatModule module) {
  std::lock_guard<std::mutex> lock(module_mutex);
  const int index = static_cast<int>(module);
  if (!module_tried[index]) {
    module_tried[index] = true;
    module_ready[index] = OpenModule(module);
  }
  return module_ready[index];
}

std::optional<int64_t> ReadMemoryLimit() {
  std::optional<int64_t> limit;
  for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
    struct rlimit value;
    if (getrlimit(resource, &value) != 0 || value.rlim_cur == RLIM_INFINITY) continue;
    const int64_t bytes = static_cast<int64_t>(std::min<rlim_t>(value.rlim_cur, INT64_MAX));
    limit = limit ? std::min(*limit, bytes) : bytes;
  }
  return limit;
}

std::optional<int64_t> MemoryHeadroom() {
  std::lock_guard<std::mutex> lock(runtime_mutex);
  return memory_headroom;
}

void TuneMemoryForImageWork() {
  if (ReadMemoryLimit()) {
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_TRIM_THRESHOLD, 4 << 20);
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) == 0) {
      static_cast<void>(pthread_attr_setstacksize(&attributes, 2 << 20));
      static_cast<void>(pthread_setattr_default_np(&attributes));
      pthread_attr_destroy(&attributes);
    }
    return;
  }
  mallopt(M_ARENA_MAX, 2);
  // Freed memory stays with the process (but for what ReturnFreedMemory gives back after a
  // photo decoded whole); buffers up to the largest threshold allowed come from the heaps,
  // where they are used again.
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
}

void SetImagingThreadCount(int threads) { vips_concurrency_set(threads); }

void ReturnFreedMemory() {
  static_cast<void>(malloc_trim(0));
}

CImagingRuntime::CImagingRuntime() {
  std::lock_guard<std::mutex> lock(runtime_mutex);
  if (runtime_users++ == 0 && !runtime_started && !runtime_stopped) {
    SilenceLibraryMessages();
    SetUpImageMagickEnvironment();
    const char* home = std::getenv("VIPSHOME");
    const std::optional<std::string> user_home =
        home != nullptr ? std::optional<std::string>(home) : std::nullopt;
    setenv("VIPSHOME", kHomeWithoutModules, 1);
    runtime_started = VIPS_INIT("gallerygen") == 0;
    if (user_home) {
      setenv("VIPSHOME", user_home->c_str(), 1);
    } else {
      unsetenv("VIPSHOME");
    }
    if (runtime_started) {
      // No operation cache: every file is decoded afresh and memory stays bounded.
      vips_cache_set_max(0);
      BlockOtherLoaders();
      if (const std::optional<int64_t> limit = ReadMemoryLimit()) {
        vips_vector_set_enabled(FALSE);
        for (FormatModule module :
             {FormatModule::kHeif, FormatModule::kJpegXl, FormatModule::kMagick}) {
          static_cast<void>(LoadFormatModule(module));
        }
        if (const std::optional<int64_t> in_use = AddressSpaceInUse()) {
          memory_headroom = std::max<int64_t>(0, *limit - *in_use);
        } else {
          memory_headroom = 0;
        }
      }
    }
  }
}

CImagingRuntime::~CImagingRuntime() {
  std::lock_guard<std::mutex> lock(runtime_mutex);
  if (--runtime_users == 0 && runtime_started) {
    vips_shutdown();
    runtime_started = false;
    runtime_stopped = true;
  }
}

bool CImagingRuntime::started() const {
  std::lock_guard<std::mutex> lock(runtime_mutex);
  return runtime_started;
}

}  // namespace gallery
