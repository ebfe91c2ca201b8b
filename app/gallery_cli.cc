#include "app/gallery_cli.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "app/gallery_options.h"
#include "app/presets.h"
#include "app/progress.h"
#include "collection/gallery_builder.h"
#include "generate/generate.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"

namespace gallery {
namespace {

// The folders a generation writes into; a photo inside one of them could be overwritten.
constexpr std::array<std::string_view, 5> kGalleryFolders = {"images", "thumbs", "pages",
                                                             "advanced", "border"};

// The one line that reports an error, with the program's name in front.
void ReportError(CCliEnvironment& environment, const std::string& message) {
  environment.err << "gallery: error: " << message << '\n' << std::flush;
}

void ReportWarning(CCliEnvironment& environment, const std::string& message) {
  environment.err << "gallery: warning: " << message << '\n' << std::flush;
}

// Where a run writes: straight into an existing gallery folder, or into a fresh folder beside
// a new OUTDIR that is renamed to OUTDIR only once the gallery is complete, so that a failed
// run leaves nothing half-written.
struct COutputPlan {
  std::string folder;   // OUTDIR as given, without trailing separators
  std::string root;     // where the files go while the run lasts
  bool staged = false;  // `root` is a fresh folder to rename into place
  bool existed = false;
};

std::string StripTrailingSeparators(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

bool IsEarlierGallery(const std::vector<std::string>& names) {
  auto has = [&names](std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  return has("advanced") && has("border");
}

// Checks OUTDIR and decides where to write, or reports why it cannot be used.
std::optional<COutputPlan> PlanOutput(const std::string& outdir, CCliEnvironment& environment) {
  COutputPlan plan;
  plan.folder = StripTrailingSeparators(outdir);
  switch (GetPathKind(plan.folder)) {
    case PathKind::kFile:
    case PathKind::kOther:
      ReportError(environment, plan.folder +
                                   ": is a file, not a folder. Name a new folder (or the folder "
                                   "of an earlier gallery) as OUTDIR.");
      return std::nullopt;
    case PathKind::kFolder: {
      std::optional<std::vector<std::string>> names = ListFolder(plan.folder);
      if (!names || !IsWritableFolder(plan.folder)) {
        ReportError(environment, plan.folder +
                                     ": this folder cannot be written (no permission). Choose "
                                     "a folder you may write into.");
        return std::nullopt;
      }
      if (!names->empty() && !IsEarlierGallery(*names)) {
        ReportError(environment, plan.folder +
                                     ": the folder holds other files and no earlier gallery, so "
                                     "building there could overwrite them. Name a new or empty "
                                     "folder.");
        return std::nullopt;
      }
      plan.root = plan.folder;
      plan.existed = true;
      return plan;
    }
    case PathKind::kMissing:
      break;
  }
  std::string parent = ParentFolder(plan.folder);
  if (parent.empty()) parent = "/";
  if (GetPathKind(parent) != PathKind::kFolder) {
    ReportError(environment, plan.folder + ": its parent folder " + parent +
                                 " does not exist. Create it first, or name another OUTDIR.");
    return std::nullopt;
  }
  std::optional<std::string> staging =
      IsWritableFolder(parent) ? CreateFolderBeside(plan.folder) : std::nullopt;
  if (!staging) {
    ReportError(environment, plan.folder + ": cannot create the folder, as " + parent +
                                 " cannot be written (no permission). Choose another place.");
    return std::nullopt;
  }
  plan.root = *staging;
  plan.staged = true;
  return plan;
}

// Undoes what a failed run made: only a staging folder, which is entirely the run's own.
void Abandon(const COutputPlan& plan) {
  if (plan.staged) static_cast<void>(RemoveTree(plan.root));
}

bool LiesInside(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         path[folder.size()] == '/';
}

// A photo inside one of the folders that generation writes into could be replaced by a page
// image or thumbnail of the same name. Reports the first such photo.
bool EndangersPhotos(const std::vector<std::string>& photo_paths, const COutputPlan& plan,
                     CCliEnvironment& environment) {
  if (!plan.existed) return false;
  const std::string gallery = AbsolutePath(plan.folder);
  for (const std::string& path : photo_paths) {
    std::string source = AbsolutePath(path);
    for (std::string_view folder : kGalleryFolders) {
      if (!LiesInside(source, gallery + "/" + std::string(folder))) continue;
      ReportError(environment, path + ": this photo lies in a folder that the gallery in " +
                                   plan.folder +
                                   " writes into, so it could be overwritten. Build into "
                                   "another folder.");
      return true;
    }
  }
  return false;
}

ProgressMode ChooseProgressMode(const CCliOptions& options, const CCliEnvironment& environment) {
  if (options.quiet) return ProgressMode::kQuiet;
  return environment.err_is_terminal ? ProgressMode::kBar : ProgressMode::kLines;
}

// Generates the loaded collection into the plan's folder and puts a staged folder in place.
ExitCode GenerateInto(CGalleryBuilder& builder, const COutputPlan& plan, const CCliOptions& options,
                      CCliEnvironment& environment) {
  // Another run into the same gallery folder is waited for; a staged folder is this run's own.
  std::optional<CFolderLock> lock;
  if (!plan.staged) lock.emplace(plan.root);
  const std::string document_path = plan.root + "/" + options.output_name;
  // Generation itself refuses to write over a photo; this only says which one, and covers
  // what the check of folders cannot see, such as a hard link.
  std::vector<std::string> sources;
  for (const CPhotoEntry& photo : builder.photos()) sources.push_back(photo.path);
  if (std::optional<size_t> photo =
          FindSameFile(sources, ListGeneratedFiles(builder, document_path, options.thumbnails))) {
    Abandon(plan);
    ReportError(environment, sources[*photo] + ": this photo is also a file that the gallery in " +
                                 plan.folder +
                                 " writes, so it would be overwritten. Build into another folder.");
    return ExitCode::kGenerateFailed;
  }
  const int photo_count = static_cast<int>(builder.photos().size());
  CProgressReporter progress(environment.err, ChooseProgressMode(options, environment),
                             environment.terminal_width, environment.clock);
  builder.SetObserver(&progress);
  progress.Start(photo_count);
  const int generated = builder.Generate(document_path, options.thumbnails);
  builder.SetObserver(nullptr);
  progress.Finish();
  const std::string final_document = plan.folder + "/" + options.output_name;
  if (generated == 0) {
    Abandon(plan);
    ReportError(environment, final_document +
                                 ": the output collection file could not be written (disk full, "
                                 "or no permission?). Free some space or choose another OUTDIR." +
                                 (plan.staged ? " Nothing was left behind." : ""));
    return ExitCode::kGenerateFailed;
  }
  if (plan.staged && !RenamePath(plan.root, plan.folder)) {
    Abandon(plan);
    ReportError(environment, plan.folder +
                                 ": the finished gallery could not be moved into place (did "
                                 "something else create this folder meanwhile?). Run again.");
    return ExitCode::kGenerateFailed;
  }
  if (!options.quiet) {
    std::string summary = "gallery: built " + std::to_string(photo_count) +
                          (photo_count == 1 ? " photo" : " photos") + " in " +
                          FormatDuration(progress.elapsed()) + " into " + plan.folder;
    if (progress.unreadable_count() > 0) {
      summary += " (" + std::to_string(progress.unreadable_count()) + " without a picture)";
    }
    environment.err << summary << '\n';
    if (GetPathKind(plan.folder + "/index.htm") == PathKind::kFile) {
      environment.err << "gallery: open " << AbsolutePath(plan.folder) + "/index.htm"
                      << " in a web browser to view it.\n";
    } else {
      environment.err << "gallery: no index page was written, as the collection has no "
                         "photos.\n";
    }
    environment.err << std::flush;
  }
  return ExitCode::kBuilt;
}

// Explains why a collection file did not load, from what can be seen of it.
void ReportUnloadable(CCliEnvironment& environment, const std::string& path,
                      std::string_view what) {
  switch (GetPathKind(path)) {
    case PathKind::kMissing:
      ReportError(environment,
                  path + ": no such file. Check the path of the " + std::string(what) + ".");
      return;
    case PathKind::kFolder:
      ReportError(environment, path + ": is a folder, not a " + std::string(what) + ".");
      return;
    case PathKind::kOther:
      ReportError(environment,
                  path + ": is not a regular file. Name the " + std::string(what) + " itself.");
      return;
    case PathKind::kFile:
      break;
  }
  if (!IsReadableFile(path)) {
    ReportError(environment,
                path + ": cannot be read (no permission). Make it readable and run again.");
    return;
  }
  ReportError(environment, path +
                               ": is not a collection file that can be loaded; it must be XML "
                               "whose root element <collection> holds a <style> element. Fix "
                               "the file or name another.");
}

ExitCode RunBuild(const CCliOptions& options, CCliEnvironment& environment) {
  const std::string& collection = options.operands[0];
  CGalleryBuilder builder;
  if (!builder.Load(collection)) {
    ReportUnloadable(environment, collection, "collection file");
    return ExitCode::kLoadFailed;
  }
  const std::string outdir = StripTrailingSeparators(options.operands[1]);
  if (IsSameFile(collection, outdir + "/" + options.output_name)) {
    ReportError(environment, collection +
                                 ": the output collection file would replace this input file. "
                                 "Choose another OUTDIR, or another name with --output.");
    return ExitCode::kGenerateFailed;
  }
  std::optional<COutputPlan> plan = PlanOutput(outdir, environment);
  if (!plan) return ExitCode::kGenerateFailed;
  std::vector<std::string> photo_paths;
  for (const CPhotoEntry& photo : builder.photos()) photo_paths.push_back(photo.path);
  if (EndangersPhotos(photo_paths, *plan, environment)) {
    Abandon(*plan);
    return ExitCode::kGenerateFailed;
  }
  if (FindSameFile({collection}, ListGeneratedFiles(builder, plan->root + "/" + options.output_name,
                                                    options.thumbnails))) {
    Abandon(*plan);
    ReportError(environment, collection +
                                 ": is also a file that the gallery writes, so it would be "
                                 "overwritten. Build into another folder.");
    return ExitCode::kGenerateFailed;
  }
  if (builder.photos().empty()) {
    ReportWarning(environment, collection + ": the collection lists no photos.");
  }
  return GenerateInto(builder, *plan, options, environment);
}

ExitCode RunNew(const CCliOptions& options, CCliEnvironment& environment) {
  const std::string& photo_folder = options.operands[0];
  std::optional<std::string> preset = FindPreset(environment.preset_folder, options.preset);
  if (!preset) {
    ReportError(environment,
                "'" + options.preset + "' is no known preset. Run 'gallery presets' to list them.");
    return ExitCode::kUsage;
  }
  // The builder starts the imaging library, which reading dates from photos needs.
  CGalleryBuilder builder;
  if (!builder.Load(*preset)) {
    ReportUnloadable(environment, *preset, "preset");
    return ExitCode::kLoadFailed;
  }
  PathKind kind = GetPathKind(photo_folder);
  if (kind != PathKind::kFolder) {
    ReportError(environment,
                photo_folder + (kind == PathKind::kMissing
                                    ? ": no such folder. Check the path of the photo folder."
                                    : ": is not a folder. Name the folder that holds the "
                                      "photos."));
    return ExitCode::kLoadFailed;
  }
  std::optional<CFolderScan> scan = ScanPhotoFolder(photo_folder, options.order);
  if (!scan) {
    ReportError(environment, photo_folder +
                                 ": the folder cannot be read (no permission). Make it readable "
                                 "and run again.");
    return ExitCode::kLoadFailed;
  }
  for (const CSkippedFile& skipped : scan->skipped) {
    ReportWarning(environment, skipped.path + ": left out, " + skipped.reason + ".");
  }
  if (scan->photos.empty()) {
    ReportError(environment, photo_folder +
                                 ": holds no photos that can be read (JPEG, PNG, GIF, TIFF, "
                                 "WebP, HEIC, AVIF or BMP files). Name a folder with photos.");
    return ExitCode::kLoadFailed;
  }
  std::optional<std::string> bytes =
      RenderCollection(*options.title, options.description, scan->photos, builder.style());
  if (!bytes) {
    ReportError(environment,
                "the collection of " + photo_folder + " could not be built (out of memory?).");
    return ExitCode::kLoadFailed;
  }
  std::optional<COutputPlan> plan = PlanOutput(options.operands[1], environment);
  if (!plan) return ExitCode::kGenerateFailed;
  std::vector<std::string> photo_paths;
  for (const CFolderPhoto& photo : scan->photos) photo_paths.push_back(photo.path);
  if (EndangersPhotos(photo_paths, *plan, environment)) {
    Abandon(*plan);
    return ExitCode::kGenerateFailed;
  }
  const std::string source_path = plan->root + "/" + kSourceCollectionName;
  if (!WriteFileBytes(source_path, *bytes)) {
    Abandon(*plan);
    ReportError(environment, plan->folder + "/" + kSourceCollectionName +
                                 ": could not be written (disk full, or no permission?). Free "
                                 "some space or choose another OUTDIR.");
    return ExitCode::kGenerateFailed;
  }
  CGalleryBuilder collection;
  if (!collection.Load(source_path)) {
    Abandon(*plan);
    ReportUnloadable(environment, source_path, "collection file");
    return ExitCode::kLoadFailed;
  }
  return GenerateInto(collection, *plan, options, environment);
}

ExitCode RunPresets(CCliEnvironment& environment) {
  std::vector<CPreset> presets = ListPresets(environment.preset_folder);
  if (presets.empty()) {
    ReportError(environment, environment.preset_folder +
                                 ": no presets were found there. Reinstall the program.");
    return ExitCode::kLoadFailed;
  }
  size_t width = 0;
  for (const CPreset& preset : presets) width = std::max(width, preset.name.size());
  for (const CPreset& preset : presets) {
    std::string line =
        preset.name + std::string(width - preset.name.size() + 2, ' ') + preset.title;
    if (!preset.description.empty()) line += ": " + preset.description;
    environment.out << line << '\n';
  }
  environment.out << std::flush;
  return ExitCode::kBuilt;
}

}  // namespace

ExitCode RunGalleryCli(const std::vector<std::string>& arguments, CCliEnvironment& environment) {
  CCliParse parse = ParseCliArguments(arguments);
  if (!parse.options) {
    ReportError(environment, parse.error + ". Run 'gallery --help' for how to use it.");
    return ExitCode::kUsage;
  }
  const CCliOptions& options = *parse.options;
  if (options.help) {
    environment.out << HelpText(options.command) << std::flush;
    return ExitCode::kBuilt;
  }
  if (options.version) {
    environment.out << VersionText() << std::flush;
    return ExitCode::kBuilt;
  }
  switch (options.command) {
    case CliCommand::kBuild:
      return RunBuild(options, environment);
    case CliCommand::kNew:
      return RunNew(options, environment);
    case CliCommand::kPresets:
      return RunPresets(environment);
    case CliCommand::kNone:
      break;
  }
  return ExitCode::kUsage;
}

}  // namespace gallery
