#include "platform/imaging_runtime.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>

#include <gmodule.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <vips/vips8>

namespace gallery {
namespace {

std::mutex runtime_mutex;
int runtime_users = 0;
bool runtime_started = false;
bool runtime_stopped = false;

// The library's optional format modules (HEIF, JPEG XL, PDF, slides and everything
// ImageMagick reads) are loaded only when a source is in none of the formats the library reads
// itself: loading them all at start costs half of the library's start-up, which every run pays
// while nearly every photo is a JPEG.
std::once_flag format_modules_once;
std::atomic<bool> format_modules_loaded{false};

// A home for the library under which no module folder can exist: a path through a file.
constexpr const char* kHomeWithoutModules = "/dev/null";

void LoadFormatModulesNow() {
  const std::string folder = std::string(GALLERY_VIPS_LIBDIR) + "/vips-modules-" +
                             std::to_string(VIPS_MAJOR_VERSION) + "." +
                             std::to_string(VIPS_MINOR_VERSION);
  GDir* dir = g_dir_open(folder.c_str(), 0, nullptr);
  if (dir == nullptr) return;
  while (const gchar* name = g_dir_read_name(dir)) {
    if (!g_str_has_suffix(name, "." G_MODULE_SUFFIX)) continue;
    const std::string path = folder + "/" + name;
    // A module registers its loaders and savers as it is opened; it then stays for good.
    if (GModule* module = g_module_open(path.c_str(), G_MODULE_BIND_LAZY)) {
      g_module_make_resident(module);
    }
  }
  g_dir_close(dir);
  // The library blocks the operations it calls untrusted when started with this set; the ones
  // the modules brought are blocked the same way.
  if (std::getenv("VIPS_BLOCK_UNTRUSTED") != nullptr) vips_block_untrusted_set(TRUE);
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

bool FormatModulesLoaded() { return format_modules_loaded; }

void LoadFormatModules() {
  std::call_once(format_modules_once, [] {
    LoadFormatModulesNow();
    format_modules_loaded = true;
  });
}

void TuneMemoryForImageWork() {
  mallopt(M_ARENA_MAX, 2);
  // Freed memory stays with the process, which ends soon after the photos anyway; buffers up
  // to the largest threshold allowed come from the heaps, where they are used again.
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
}

void SetImagingThreadCount(int threads) { vips_concurrency_set(threads); }

CImagingRuntime::CImagingRuntime() {
  std::lock_guard<std::mutex> lock(runtime_mutex);
  if (runtime_users++ == 0 && !runtime_started && !runtime_stopped) {
    SilenceLibraryMessages();
    // The library finds its modules under VIPSHOME when that is set. A home the user chose is
    // kept, modules and all; otherwise the library starts without them (see above).
    if (std::getenv("VIPSHOME") != nullptr) {
      runtime_started = VIPS_INIT("gallerygen") == 0;
      format_modules_loaded = true;
    } else {
      setenv("VIPSHOME", kHomeWithoutModules, 1);
      runtime_started = VIPS_INIT("gallerygen") == 0;
      unsetenv("VIPSHOME");
    }
    if (runtime_started) {
      // No operation cache: every file is decoded afresh and memory stays bounded.
      vips_cache_set_max(0);
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
