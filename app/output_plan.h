#ifndef GALLERY_APP_OUTPUT_PLAN_H_
#define GALLERY_APP_OUTPUT_PLAN_H_

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace gallery {

// Why a folder named as OUTDIR cannot take a gallery.
enum class OutputRefusal {
  kNone,
  kNotAFolder,         // a file, or anything else that is no folder
  kNotWritable,        // an existing folder that cannot be listed or written into
  kHoldsOtherFiles,    // an existing folder holding files but no earlier gallery
  kNoParent,           // a new folder whose parent folder does not exist
  kParentNotWritable,  // a new folder whose parent folder cannot be written into
};

// A fresh folder that a run fills and then renames to its target, so that a failed run leaves
// nothing half-written: unless committed, it is removed with everything in it when dropped.
class CStagingFolder {
 public:
  CStagingFolder(std::string path, std::string target);
  CStagingFolder(CStagingFolder&& other) noexcept;
  CStagingFolder(const CStagingFolder&) = delete;
  CStagingFolder& operator=(const CStagingFolder&) = delete;
  ~CStagingFolder();

  const std::string& path() const { return path_; }

  // Renames the folder to its target. False when that fails (for instance when something
  // else created the target meanwhile); the folder then stays this object's to remove.
  bool Commit();

 private:
  std::string path_;  // empty once committed or moved from: nothing left to remove
  std::string target_;
};

// Where a run writes: straight into an existing folder (empty, or an earlier gallery), or into
// a staging folder beside a new OUTDIR, which becomes OUTDIR only once the gallery is complete.
struct COutputPlan {
  std::string folder;                     // OUTDIR as given, without trailing separators
  std::optional<CStagingFolder> staging;  // set when OUTDIR did not exist

  // Where the files go while the run lasts.
  const std::string& root() const { return staging ? staging->path() : folder; }
  // Puts the finished gallery in place; true at once when it was written in place.
  bool Commit() { return !staging || staging->Commit(); }
};

// A plan, or why there is none.
struct COutputChoice {
  std::optional<COutputPlan> plan;
  OutputRefusal refusal = OutputRefusal::kNone;
  std::string folder;  // OUTDIR as given, without trailing separators
  std::string parent;  // its parent folder, named by the refusals of a new OUTDIR
};

// `path` without the separators at its end, unless it is nothing but one.
std::string StripTrailingSeparators(std::string path);

// Checks OUTDIR and decides where to write. For a new OUTDIR it creates the staging folder, a
// hidden folder beside it; an existing file, folder or other entry is never changed.
COutputChoice PlanOutput(const std::string& outdir);

// The first of `photo_paths` inside one of the folders that generation writes into (images,
// thumbs and the like) of the existing folder the plan writes into, where a page image or
// thumbnail of the same name could replace it. Nothing for a new OUTDIR, which holds no photo.
std::optional<size_t> FindPhotoInGalleryFolders(const std::vector<std::string>& photo_paths,
                                                const COutputPlan& plan);

}  // namespace gallery

#endif  // GALLERY_APP_OUTPUT_PLAN_H_
