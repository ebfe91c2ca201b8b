#ifndef GALLERY_APP_EXIT_CODE_H_
#define GALLERY_APP_EXIT_CODE_H_

namespace gallery {

// How a run of either program ended. The values are what the process exits with, the same
// numbers for both programs, so a host or a script reads them alike.
enum class ExitCode {
  kBuilt = 0,           // the gallery was generated
  kUsage = 1,           // a wrong command line (for the host entry point: too few arguments)
  kWrongToken = 2,      // the host entry point was not given the access token
  kLoadFailed = 3,      // the input could not be loaded
  kGenerateFailed = 4,  // the gallery could not be written
  // `gallery` alone: the collection lists photos, but not one of them could be made (all
  // missing or damaged, or the disk full), so the earlier gallery, if any, was kept.
  kNoPhotoMade = 5,
};

// The number `main` returns for `code`.
constexpr int ExitStatus(ExitCode code) { return static_cast<int>(code); }

}  // namespace gallery

#endif  // GALLERY_APP_EXIT_CODE_H_
