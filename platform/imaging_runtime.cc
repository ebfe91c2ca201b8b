#include "platform/imaging_runtime.h"

#include <mutex>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <vips/vips8>

namespace gallery {
namespace {

std::mutex runtime_mutex;
int runtime_users = 0;
bool runtime_started = false;
bool runtime_stopped = false;

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

void SetImagingThreadCount(int threads) { vips_concurrency_set(threads); }

CImagingRuntime::CImagingRuntime() {
  std::lock_guard<std::mutex> lock(runtime_mutex);
  if (runtime_users++ == 0 && !runtime_started && !runtime_stopped) {
    SilenceLibraryMessages();
    runtime_started = VIPS_INIT("gallerygen") == 0;
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
