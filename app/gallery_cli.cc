#include "app/gallery_cli.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "app/gallery_options.h"
#include "app/output_plan.h"
#include "app/photo_folder.h"
#include "app/presets.h"
#include "app/progress.h"
#include "collection/gallery_builder.h"
#include "collection/output_layout.h"
#include "generate/generate.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"

namespace gallery {
namespace {

// The one line that reports an error, with the program's name in front.
void ReportError(CCliEnvironment& environment, const std::string& message) {
  environment.err << "gallery: error: " << message << '\n' << std::flush;
}

void ReportWarning(CCliEnvironment& environment, const std::string& message) {
  environment.err << "gallery: warning: " << message << '\n' << std::flush;
}

std::string RefusalMessage(const COutputChoice& choice) {
  const std::string& folder = choice.folder;
  switch (choice.refusal) {
    case OutputRefusal::kNotAFolder:
      return folder +
             ": is a file, not a folder. Name a new folder (or the folder of an earlier gallery) "
             "as OUTDIR.";
    case OutputRefusal::kNotWritable:
      return folder +
             ": this folder cannot be written (no permission). Choose a folder you may write "
             "into.";
    case OutputRefusal::kHoldsOtherFiles:
      return folder +
             ": the folder holds other files and no earlier gallery, so building there could "
             "overwrite them. Name a new or empty folder.";
    case OutputRefusal::kNoParent:
      return folder + ": its parent folder " + choice.parent +
             " does not exist. Create it first, or name another OUTDIR.";
    case OutputRefusal::kParentNotWritable:
    case OutputRefusal::kNone:
      break;
  }
  return folder + ": cannot create the folder, as " + choice.parent +
         " cannot be written (no permission). Choose another place.";
}

// The plan of where OUTDIR's gallery is written, or nothing after saying why OUTDIR won't do.
std::optional<COutputPlan> OpenOutput(const std::string& outdir, CCliEnvironment& environment) {
  COutputChoice choice = PlanOutput(outdir);
  if (!choice.plan) ReportError(environment, RefusalMessage(choice));
  return std::move(choice.plan);
}

// Reports the first photo that the gallery of `plan` could write over, if any.
bool ReportEndangeredPhoto(const std::vector<std::string>& photo_paths, const COutputPlan& plan,
                           CCliEnvironment& environment) {
  std::optional<size_t> photo = FindPhotoInGalleryFolders(photo_paths, plan);
  if (!photo) return false;
  ReportError(environment, photo_paths[*photo] +
                               ": this photo lies in a folder that the gallery in " + plan.folder +
                               " writes into, so it could be overwritten. Build into another "
                               "folder.");
  return true;
}

std::vector<std::string> PhotoPaths(const CGalleryBuilder& builder) {
  std::vector<std::string> paths;
  for (const CPhotoEntry& photo : builder.photos()) paths.push_back(photo.path);
  return paths;
}

ProgressMode ChooseProgressMode(const CCliOptions& options, const CCliEnvironment& environment) {
  if (options.quiet) return ProgressMode::kQuiet;
  return environment.err_is_terminal ? ProgressMode::kBar : ProgressMode::kLines;
}

void ReportBuilt(const CProgressReporter& progress, int photo_count, const std::string& folder,
                 CCliEnvironment& environment) {
  std::string summary = "gallery: built " + std::to_string(photo_count) +
                        (photo_count == 1 ? " photo" : " photos") + " in " +
                        FormatDuration(progress.elapsed()) + " into " + folder;
  if (progress.failed_count() > 0) {
    summary += " (" + std::to_string(progress.failed_count()) + " without a picture)";
  }
  environment.err << summary << '\n';
  const std::string first_index_page = "/" + GetPageFileName(kIndexPageKind, 0, 1);
  if (GetPathKind(folder + first_index_page) == PathKind::kFile) {
    environment.err << "gallery: open " << AbsolutePath(folder) + first_index_page
                    << " in a web browser to view it.\n";
  } else {
    environment.err << "gallery: no index page was written, as the collection has no photos.\n";
  }
  environment.err << std::flush;
}

// Generates the loaded collection into the plan's folder and puts a staged folder in place.
ExitCode GenerateInto(CGalleryBuilder& builder, COutputPlan& plan, const CCliOptions& options,
                      CCliEnvironment& environment) {
  // Another run into the same gallery folder is waited for; a staged folder is this run's own.
  std::optional<CFolderLock> lock;
  if (!plan.staging) lock.emplace(plan.root());
  const std::string document_path = plan.root() + "/" + options.output_name;
  // Generation itself refuses to write over a photo; this only says which one, and covers
  // what the check of folders cannot see, such as a hard link.
  const std::vector<std::string> sources = PhotoPaths(builder);
  if (std::optional<size_t> photo =
          FindSameFile(sources, ListGeneratedFiles(builder, document_path, options.thumbnails))) {
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
  if (generated == 0) {
    ReportError(environment, plan.folder + "/" + options.output_name +
                                 ": the output collection file could not be written (disk full, "
                                 "or no permission?). Free some space or choose another OUTDIR." +
                                 (plan.staging ? " Nothing was left behind." : ""));
    return ExitCode::kGenerateFailed;
  }
  if (!plan.Commit()) {
    ReportError(environment, plan.folder +
                                 ": the finished gallery could not be moved into place (did "
                                 "something else create this folder meanwhile?). Run again.");
    return ExitCode::kGenerateFailed;
  }
  if (!options.quiet) ReportBuilt(progress, photo_count, plan.folder, environment);
  return ExitCode::kBuilt;
}

// The error line for a collection file (`what` names its role) that did not load for `cause`.
std::string UnloadableMessage(const std::string& path, std::string_view what, LoadFailure cause) {
  const std::string role(what);
  const std::string unusable = path + ": is not a collection file that can be loaded: ";
  const std::string remedy = " Fix the file or name another.";
  switch (cause) {
    case LoadFailure::kMissing:
      return path + ": no such file. Check the path of the " + role + ".";
    case LoadFailure::kFolder:
      return path + ": is a folder, not a " + role + ".";
    case LoadFailure::kNotAFile:
      return path + ": is not a regular file. Name the " + role + " itself.";
    case LoadFailure::kNoPermission:
      return path + ": cannot be read (no permission). Make it readable and run again.";
    case LoadFailure::kReadError:
      return path + ": could not be read to its end (a disk error, or out of memory?). Run again.";
    case LoadFailure::kNotXml:
      return unusable + "it is not well-formed XML, or nests elements too deeply." + remedy;
    case LoadFailure::kWrongRoot:
      return unusable + "its root element must be <collection>." + remedy;
    case LoadFailure::kNoStyle:
    case LoadFailure::kNone:
      break;
  }
  return unusable + "its root element <collection> holds no <style> element." + remedy;
}

ExitCode RunBuild(const CCliOptions& options, CCliEnvironment& environment) {
  const std::string& collection = options.operands[0];
  CGalleryBuilder builder;
  if (LoadFailure cause = builder.Load(collection); cause != LoadFailure::kNone) {
    ReportError(environment, UnloadableMessage(collection, "collection file", cause));
    return ExitCode::kLoadFailed;
  }
  if (IsSameFile(collection,
                 StripTrailingSeparators(options.operands[1]) + "/" + options.output_name)) {
    ReportError(environment, collection +
                                 ": the output collection file would replace this input file. "
                                 "Choose another OUTDIR, or another name with --output.");
    return ExitCode::kGenerateFailed;
  }
  std::optional<COutputPlan> plan = OpenOutput(options.operands[1], environment);
  if (!plan) return ExitCode::kGenerateFailed;
  if (ReportEndangeredPhoto(PhotoPaths(builder), *plan, environment)) {
    return ExitCode::kGenerateFailed;
  }
  if (FindSameFile({collection},
                   ListGeneratedFiles(builder, plan->root() + "/" + options.output_name,
                                      options.thumbnails))) {
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

// The photos of the folder `new` was given, or nothing after saying why there are none.
std::optional<CFolderScan> ScanPhotos(const std::string& photo_folder, PhotoOrder order,
                                      CCliEnvironment& environment) {
  PathKind kind = GetPathKind(photo_folder);
  if (kind != PathKind::kFolder) {
    ReportError(environment,
                photo_folder + (kind == PathKind::kMissing
                                    ? ": no such folder. Check the path of the photo folder."
                                    : ": is not a folder. Name the folder that holds the "
                                      "photos."));
    return std::nullopt;
  }
  std::optional<CFolderScan> scan = ScanPhotoFolder(photo_folder, order);
  if (!scan) {
    ReportError(environment, photo_folder +
                                 ": the folder cannot be read (no permission). Make it readable "
                                 "and run again.");
    return std::nullopt;
  }
  for (const CSkippedFile& skipped : scan->skipped) {
    ReportWarning(environment, skipped.path + ": left out, " + skipped.reason + ".");
  }
  if (scan->photos.empty()) {
    ReportError(environment, photo_folder +
                                 ": holds no photos that can be read (JPEG, PNG, GIF, TIFF, "
                                 "WebP, HEIC, AVIF or BMP files). Name a folder with photos.");
    return std::nullopt;
  }
  return scan;
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
  if (LoadFailure cause = builder.Load(*preset); cause != LoadFailure::kNone) {
    ReportError(environment, UnloadableMessage(*preset, "preset", cause));
    return ExitCode::kLoadFailed;
  }
  std::optional<CFolderScan> scan = ScanPhotos(photo_folder, options.order, environment);
  if (!scan) return ExitCode::kLoadFailed;
  std::optional<std::string> bytes =
      RenderCollection(*options.title, options.description, scan->photos, builder.style());
  if (!bytes) {
    ReportError(environment,
                "the collection of " + photo_folder + " could not be built (out of memory?).");
    return ExitCode::kLoadFailed;
  }
  std::optional<COutputPlan> plan = OpenOutput(options.operands[1], environment);
  if (!plan) return ExitCode::kGenerateFailed;
  std::vector<std::string> photo_paths;
  for (const CFolderPhoto& photo : scan->photos) photo_paths.push_back(photo.path);
  if (ReportEndangeredPhoto(photo_paths, *plan, environment)) return ExitCode::kGenerateFailed;
  const std::string source_path = plan->root() + "/" + kSourceCollectionName;
  if (!WriteFileBytes(source_path, *bytes)) {
    ReportError(environment, plan->folder + "/" + kSourceCollectionName +
                                 ": could not be written (disk full, or no permission?). Free "
                                 "some space or choose another OUTDIR.");
    return ExitCode::kGenerateFailed;
  }
  CGalleryBuilder collection;
  if (LoadFailure cause = collection.Load(source_path); cause != LoadFailure::kNone) {
    ReportError(environment, UnloadableMessage(source_path, "collection file", cause));
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
