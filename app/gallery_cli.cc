#include "app/gallery_cli.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "app/album_merge.h"
#include "app/build_inputs.h"
#include "app/cli_report.h"
#include "app/gallery_options.h"
#include "app/interruption.h"
#include "app/load_message.h"
#include "app/modern_build.h"
#include "app/output_checks.h"
#include "app/output_plan.h"
#include "app/photo_folder.h"
#include "app/photo_titles.h"
#include "app/photo_tree.h"
#include "app/presets.h"
#include "app/progress.h"
#include "app/theme_options.h"
#include "cache/result_cache.h"
#include "collection/album.h"
#include "collection/gallery_builder.h"
#include "collection/library.h"
#include "collection/output_layout.h"
#include "generate/generate.h"
#include "platform/file_status.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/own_files.h"
#include "platform/program_run.h"
#include "platform/xml_document.h"

namespace gallery {
namespace {

std::vector<std::string> PhotoPaths(const CGalleryBuilder& builder) {
  std::vector<std::string> paths;
  for (const CPhotoEntry& photo : builder.photos()) paths.push_back(photo.path);
  return paths;
}

ProgressMode ChooseProgressMode(const CCliOptions& options, const CCliEnvironment& environment) {
  if (options.quiet) return ProgressMode::kQuiet;
  return environment.err_is_terminal ? ProgressMode::kBar : ProgressMode::kLines;
}

// `left_out` counts the videos that were not built at all, as skipped; `index_page` is the
// gallery's first index page (relative to it), empty when it has none.
void ReportBuilt(const CProgressReporter& progress, int photo_count, int reused, int left_out,
                 const std::string& folder, const std::string& index_page,
                 CCliEnvironment& environment) {
  environment.err << "gallery: built " << EscapeForTerminal(folder) << " in "
                  << FormatDuration(progress.elapsed()) << ": "
                  << FormatPhotoCounts(photo_count - progress.skipped_count() - reused, reused,
                                       progress.skipped_count() + left_out)
                  << '\n';
  if (!index_page.empty()) {
    environment.err << "gallery: open "
                    << EscapeForTerminal(AbsolutePath(folder) + "/" + index_page)
                    << " in a web browser to view it.\n";
  } else {
    environment.err << "gallery: no index page was written, as the collection has no photos.\n";
  }
  environment.err << std::flush;
}

// The warning for a cache folder that is not used, for `refusal`.
std::string CacheRefusalMessage(const std::string& folder, FolderRefusal refusal) {
  const std::string off = ", so the image cache is off and every image is made afresh. ";
  const std::string elsewhere = "set XDG_CACHE_HOME to a folder of your own, or pass --no-cache.";
  switch (refusal) {
    case FolderRefusal::kLink:
      return folder + ": is a symbolic link, which the cache never follows" + off +
             "Remove the link, or " + elsewhere;
    case FolderRefusal::kNotAFolder:
      return folder + ": is not a folder" + off + "Move it away, or " + elsewhere;
    case FolderRefusal::kForeignOwner:
      return folder + ": belongs to another user" + off + "Remove it, or " + elsewhere;
    case FolderRefusal::kWritableByOthers:
      return folder + ": other users may write to it" + off + "Run 'chmod go-w' on it, or " +
             elsewhere;
    case FolderRefusal::kOpenParent:
      return folder + ": the folder it is in lets other users replace it" + off +
             "Make that folder yours alone, or " + elsewhere;
    case FolderRefusal::kUnreachable:
    case FolderRefusal::kNone:
      break;
  }
  return folder + ": cannot be made or written (no permission, or the disk is read-only?)" + off +
         "Fix its permissions, or " + elsewhere;
}

// `path` of a file in the plan's staging folder as it will be named once in OUTDIR's place.
std::string ShownOutputPath(const std::string& path, const COutputPlan& plan) {
  const std::string& root = plan.root();
  if (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
      path[root.size()] == '/') {
    return plan.folder + path.substr(root.size());
  }
  return path;
}

// The one warning for the videos `paths` that a build leaves out, `why` said after "as".
std::string VideosLeftOutMessage(const std::vector<std::string>& paths, std::string_view why) {
  constexpr size_t kNamed = 5;
  std::string message = std::to_string(paths.size()) + (paths.size() == 1 ? " video" : " videos") +
                        " left out, as " + std::string(why) + ": ";
  for (size_t i = 0; i < paths.size() && i < kNamed; ++i) {
    if (i > 0) message += ", ";
    message += paths[i];
  }
  if (paths.size() > kNamed) message += ", and " + std::to_string(paths.size() - kNamed) + " more";
  return message + ".";
}

// The settings that `options` (recorded settings applied) build with, in words of their own:
// those, and only those, that shape the files of the gallery.
std::string DescribeShapingSettings(const CCliOptions& options, PageLanguage language) {
  const bool modern = options.theme.value_or(Theme::kModern) == Theme::kModern;
  if (!modern) {
    return "classic thumbnails=" + std::to_string(options.thumbnails.value_or(true)) +
           " output=" + options.output_name;
  }
  return "modern max-size=" + std::to_string(options.max_size.value_or(kDefaultMaxSize)) +
         " captions=" + std::to_string(options.captions.value_or(false)) +
         " originals=" + std::to_string(options.originals.value_or(false)) +
         " language=" + std::to_string(static_cast<int>(language));
}

// The digest of what the build of the loaded collection, whose albums are `library` and whose
// file holds `collection_bytes`, is made from; empty when it cannot be known.
std::string DigestInputs(const CGalleryBuilder& builder, const CAlbum& library,
                         std::string_view collection_bytes, const CCliOptions& options,
                         const CCliEnvironment& environment) {
  // The albums as built, beside the file they came from: `update` builds from the albums it
  // brought up to date, and every build from paths resolved against the file's place.
  const std::optional<std::string> albums = RenderLibrary({library, std::nullopt}, builder.style());
  if (!albums) return {};
  const std::string settings =
      DescribeShapingSettings(options, options.language.value_or(environment.locale_language));
  return DigestBuildInputs(settings, std::string(collection_bytes) + *albums, PhotoPaths(builder),
                           WallClockNanoseconds())
      .value_or(std::string());
}

// Generates the loaded collection, whose albums are `library` and whose file holds
// `collection_bytes`, into the plan's staging folder and puts it in OUTDIR's place; `options`
// have their recorded settings applied. With `collection`, the gallery in place is followed by
// that new collection file, in the same step that no signal divides. With `keep_up_to_date`,
// a gallery in place that the same inputs made, whole and unchanged, is kept as it is, as the
// build would write the same files; `gallery build` always writes them afresh.
ExitCode GenerateInto(CGalleryBuilder& builder, const CAlbum& library,
                      std::string_view collection_bytes, COutputPlan& plan,
                      const CCliOptions& options, CCliEnvironment& environment,
                      CFileReplacement* collection = nullptr, bool keep_up_to_date = false) {
  const std::string document_path = plan.root() + "/" + options.output_name;
  const bool modern = options.theme.value_or(Theme::kModern) == Theme::kModern;
  // Videos are built only by the modern theme, with ffmpeg and ffprobe; else they are left out,
  // all named in one warning and counted as skipped.
  CAlbum shown = library;
  std::vector<std::string> videos;
  for (const CPhotoEntry& photo : builder.photos()) {
    if (photo.video) videos.push_back(photo.path);
  }
  CVideoTools tools;
  if (!videos.empty() && modern) {
    tools.ffmpeg = FindProgram("ffmpeg", environment.program_path).value_or("");
    tools.ffprobe = FindProgram("ffprobe", environment.program_path).value_or("");
  }
  int left_out = 0;
  if (!videos.empty() && (!modern || !tools.found())) {
    ReportWarning(environment,
                  VideosLeftOutMessage(videos, modern ? "ffmpeg and ffprobe, which make them "
                                                        "into pages, are not both on PATH "
                                                        "(install ffmpeg)"
                                                      : "the classic theme shows photos alone "
                                                        "(build with --theme modern)"));
    shown = WithoutVideos(library);
    builder.photos() = PhotosInOrder(shown);
    left_out = static_cast<int>(videos.size());
  }
  const int photo_count = static_cast<int>(builder.photos().size());
  const std::string inputs = DigestInputs(builder, library, collection_bytes, options, environment);
  if (keep_up_to_date && collection == nullptr && !inputs.empty() &&
      inputs == plan.recorded_inputs) {
    if (!options.quiet) {
      environment.err << "gallery: " << EscapeForTerminal(plan.folder)
                      << " is up to date: nothing it is made of has changed since it was built.\n"
                      << std::flush;
    }
    return ExitCode::kBuilt;
  }
  CProgressReporter progress(environment.err, ChooseProgressMode(options, environment),
                             environment.terminal_width, environment.clock,
                             environment.stop_requested);
  std::optional<CResultCache> cache;
  if (options.use_cache && !environment.cache_folder.empty()) {
    cache.emplace(environment.cache_folder);
    if (cache->usable()) {
      builder.SetImageCache(&*cache);
    } else {
      ReportWarning(environment, CacheRefusalMessage(environment.cache_folder, cache->refusal()));
    }
  }
  builder.SetObserver(&progress);
  progress.Start(photo_count);
  CPlannedGallery planned;
  // The classic theme shows the albums' photos, already the builder's in the order
  // `PhotosInOrder` numbers them, as one list.
  const int generated =
      modern
          ? BuildModernGallery(builder, shown,
                               {options.max_size.value_or(kDefaultMaxSize),
                                options.captions.value_or(false), options.originals.value_or(false),
                                options.language.value_or(environment.locale_language), -1, tools,
                                builder.image_cache() != nullptr && !videos.empty()
                                    ? environment.cache_folder + "/videos"
                                    : std::string()},
                               plan.root(), &progress, &planned)
          : builder.Generate(document_path, options.thumbnails.value_or(true));
  if (!modern) {
    planned = ListClassicGalleryFiles(builder, options.output_name,
                                      options.thumbnails.value_or(true), progress.skipped_photos());
  }
  builder.SetObserver(nullptr);
  builder.SetImageCache(nullptr);
  progress.Finish();
  if (cache) cache->Trim();
  if (ReportInterrupted(environment)) return ExitCode::kGenerateFailed;
  // A file that could not be written fails the build, whatever it is: a gallery without it
  // would be worse than the one it replaces.
  if (const std::optional<CFileNotWritten>& failed = progress.not_written()) {
    ReportError(environment,
                ShownOutputPath(failed->path, plan) + ": could not be written, as " +
                    DescribeWriteFailure(failed->cause) + ". " + WriteFailureRemedy(failed->cause) +
                    (plan.replaces ? " The earlier gallery was kept." : " Nothing was changed."));
    return ExitCode::kGenerateFailed;
  }
  if (generated == 0) {
    ReportError(environment, (modern ? plan.folder + ": the gallery"
                                     : plan.folder + "/" + options.output_name +
                                           ": the output collection file") +
                                 " could not be written (disk full, a file-size limit, or no "
                                 "permission?). Free some space or choose another OUTDIR. "
                                 "Nothing was changed.");
    return ExitCode::kGenerateFailed;
  }
  if (photo_count > 0 && progress.skipped_count() == photo_count) {
    ReportError(environment, plan.folder +
                                 ": not one photo could be made (see the warnings above). Replace "
                                 "or remove them and build again." +
                                 (plan.replaces ? " The earlier gallery was kept." : ""));
    return ExitCode::kNoPhotoMade;
  }
  CommitOutcome outcome = CommitOutcome::kFailed;
  WriteFailure replaced = WriteFailure::kNone;
  {
    // A signal from here on either finds the gallery not yet in place, and the build rolls back,
    // or in place, and the build has succeeded whatever comes.
    CUninterruptedStep commit;
    // A photo that could not be made, or a video left out, is tried again by the next build
    // (ffmpeg may be there by then), which must not find this gallery final.
    plan.inputs = progress.skipped_count() == 0 && left_out == 0 ? inputs : std::string();
    outcome = plan.Commit(planned);
    if (outcome == CommitOutcome::kCommitted && collection != nullptr) {
      replaced = collection->Commit();
    }
    if (outcome == CommitOutcome::kCommitted) SettleInterruptions();
  }
  if (outcome != CommitOutcome::kCommitted) {
    ReportNotCommitted(outcome, plan, options, environment);
    return ExitCode::kGenerateFailed;
  }
  if (replaced != WriteFailure::kNone) {
    ReportError(environment, "the gallery " + plan.folder +
                                 " was built, but its collection file could not be replaced, "
                                 "as " + DescribeWriteFailure(replaced) +
                                 ". The file is as it was; run the update again.");
    return ExitCode::kGenerateFailed;
  }
  if (!options.quiet) {
    ReportBuilt(progress, photo_count, cache ? cache->reused_page_images() : 0, left_out,
                plan.folder, planned.index_page, environment);
  }
  return ExitCode::kBuilt;
}

// The error line for a collection file (`what` names its role) that did not load for `cause`;
// `fault` says where and why one that is not well-formed XML fails.
std::string UnloadableMessage(const std::string& path, std::string_view what, LoadFailure cause,
                              const XmlParseFault& fault) {
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
      return NotWellFormedMessage(path, fault);
    case LoadFailure::kWrongRoot:
      return unusable + "its root element must be <collection>." + remedy;
    case LoadFailure::kNoStyle:
    case LoadFailure::kNone:
      break;
  }
  return unusable + "its root element <collection> holds no <style> element." + remedy;
}

// The message for a collection whose gallery element holds a setting that makes no sense.
std::string BadSettingMessage(const std::string& path, const CLibraryFault& fault) {
  return path + ": the <gallery> element's " + fault.attribute + "=\"" +
         EscapeForTerminal(fault.value) + "\" makes no sense; it takes " +
         DescribeSettingValues(fault.attribute) + ". Fix the file.";
}

// Reads the collection file at `path`: its style and photos into `builder`, every photo of its
// albums in album order, and its albums, with photo paths resolved (or as written, without
// `resolve`), and its bytes into `read`. Nothing after saying why it does not load.
std::optional<CLibrary> LoadCollection(const std::string& path, CGalleryBuilder& builder,
                                       bool resolve, CCliEnvironment& environment,
                                       std::string& read) {
  XmlParseFault fault;
  std::optional<std::string> bytes = ReadFileBytes(path);
  LoadFailure cause = bytes ? builder.LoadText(*bytes, path, &fault) : GetReadFailure(path);
  if (cause != LoadFailure::kNone) {
    ReportError(environment, UnloadableMessage(path, "collection file", cause, fault));
    return std::nullopt;
  }
  CLibraryFault library_fault;
  std::optional<CLibrary> library = ReadLibrary(*bytes, path, resolve, library_fault);
  if (!library) {
    ReportError(environment,
                library_fault.failure == LoadFailure::kNone
                    ? BadSettingMessage(path, library_fault)
                    : UnloadableMessage(path, "collection file", library_fault.failure,
                                        library_fault.parse));
    return std::nullopt;
  }
  if (library->settings && library->settings->language &&
      !ParsePageLanguage(*library->settings->language)) {
    ReportError(environment, path + ": the <gallery> element's lang=\"" +
                                 EscapeForTerminal(*library->settings->language) +
                                 "\" makes no sense; it takes en, de, fr, es or it. Fix the file.");
    return std::nullopt;
  }
  if (resolve) {
    builder.photos() = PhotosInOrder(library->root);
  } else {
    CAlbum resolved = library->root;
    ResolveAlbumPaths(resolved, path);
    builder.photos() = PhotosInOrder(resolved);
  }
  read = std::move(*bytes);
  return library;
}

// `options` with the settings `library` records applied, or nothing after saying why the two
// do not fit together.
std::optional<CCliOptions> ChooseSettings(const CCliOptions& options, const CLibrary& library,
                                          CCliEnvironment& environment) {
  CCliOptions applied = ApplyRecordedSettings(options, library.settings);
  std::string error = CheckThemeOptions(applied);
  if (error.empty()) return applied;
  if (!options.theme) error += " (the collection records that theme; give --theme modern)";
  ReportError(environment, error + ".");
  return std::nullopt;
}

ExitCode RunBuild(const CCliOptions& given, CCliEnvironment& environment) {
  const std::string& collection = given.operands[0];
  CGalleryBuilder builder;
  std::string collection_bytes;
  std::optional<CLibrary> library =
      LoadCollection(collection, builder, true, environment, collection_bytes);
  if (!library) return ExitCode::kLoadFailed;
  std::optional<CCliOptions> options = ChooseSettings(given, *library, environment);
  if (!options) return ExitCode::kUsage;
  if (ReportOutputNameTaken(builder, *options, environment)) return ExitCode::kUsage;
  std::optional<COutputPlan> plan = OpenOutput(options->operands[1], *options, environment);
  if (!plan) return ExitCode::kGenerateFailed;
  if (ReportEndangeredInput({collection}, "collection file", *plan, environment) ||
      ReportEndangeredInput(PhotoPaths(builder), "photo", *plan, environment)) {
    return ExitCode::kGenerateFailed;
  }
  if (builder.photos().empty()) {
    ReportWarning(environment, collection + ": the collection lists no photos.");
  }
  if (ReportInterrupted(environment)) return ExitCode::kGenerateFailed;
  return GenerateInto(builder, library->root, collection_bytes, *plan, *options, environment);
}

// The photo tree of the folder `new` was given (or `update` reads again), or nothing after
// saying why there are none.
// Titles every photo of the walked tree that `known` does not hold as `source` says, dates in
// `language`. A known photo keeps the title its collection gives it, so its file is not read
// for a date.
void TitleTree(CTreeAlbum& album, TitleSource source, PageLanguage language,
               const std::unordered_set<std::string>& known = {}) {
  std::vector<CFolderPhoto> untitled;
  for (const CFolderPhoto& photo : album.photos) {
    if (known.count(photo.path) == 0) untitled.push_back(photo);
  }
  TitlePhotos(untitled, source, language);
  auto titled = untitled.begin();
  for (CFolderPhoto& photo : album.photos) {
    if (known.count(photo.path) == 0) photo = std::move(*titled++);
  }
  for (CTreeAlbum& sub_album : album.albums) TitleTree(sub_album, source, language, known);
}

// The paths of every photo of `album` and its albums, as the collection file writes them.
void CollectPhotoPaths(const CAlbum& album, std::unordered_set<std::string>& paths) {
  for (const CPhotoEntry& photo : album.photos) paths.insert(photo.path);
  for (const CAlbum& sub_album : album.albums) CollectPhotoPaths(sub_album, paths);
}

std::optional<CTreeScan> ScanPhotos(const std::string& photo_folder, PhotoOrder order,
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
  std::optional<CTreeScan> scan = ScanPhotoTree(photo_folder, order);
  if (!scan) {
    ReportError(environment, photo_folder +
                                 ": the folder cannot be read (no permission). Make it readable "
                                 "and run again.");
    return std::nullopt;
  }
  for (const CSkippedFile& skipped : scan->skipped) {
    ReportWarning(environment, skipped.path + ": left out, " + skipped.reason + ".");
  }
  for (const std::string& folder : scan->unreadable) {
    ReportWarning(environment, folder +
                                   ": left out, the folder cannot be read (no permission). Make "
                                   "it readable and run again to include it.");
  }
  for (const std::string& path : scan->mended) {
    ReportWarning(environment, path +
                                   ": the name holds control characters, which its title leaves "
                                   "out.");
  }
  return scan;
}

// What `options` (recorded settings applied) record in the collection file that `new` writes
// or `update` replaces: the settings that apply to its theme, the language where one was
// chosen, the sort order and the source of titles.
CGallerySettings RecordedSettings(const CCliOptions& options) {
  CGallerySettings settings;
  settings.theme = options.theme.value_or(Theme::kModern);
  if (*settings.theme == Theme::kModern) {
    settings.captions = options.captions.value_or(false);
    settings.originals = options.originals.value_or(false);
    settings.max_size = options.max_size.value_or(kDefaultMaxSize);
    if (options.language) settings.language = std::string(WordsOf(*options.language).code);
  } else {
    settings.thumbnails = options.thumbnails.value_or(true);
  }
  settings.order = options.order.value_or(PhotoOrder::kName);
  settings.titles = options.titles.value_or(TitleSource::kChosen);
  return settings;
}

// True when the command line gives an option that the collection records.
bool GivesRecordedSetting(const CCliOptions& given) {
  return given.theme || given.captions || given.originals || given.max_size || given.thumbnails ||
         given.order || given.titles || given.language;
}

// Says that `gallery new` will not write its collection over an existing file.
void ReportCollectionExists(const std::string& path, const std::string& outdir,
                            CCliEnvironment& environment) {
  ReportError(environment, path +
                               ": exists already, and 'gallery new' never replaces a collection "
                               "file. To build its gallery, run 'gallery build " +
                               path + " " + outdir +
                               "'; to start afresh, move it away or name another place with "
                               "--collection FILE.");
}

// Writes the collection that `new` made, and builds it from the same bytes. The collection file
// goes again when the gallery is not made, even by a signal that ends the process at once, so
// that the same command can be run again.
ExitCode WriteAndBuild(const std::string& bytes, const std::string& collection_path,
                       COutputPlan& plan, const CCliOptions& options,
                       CCliEnvironment& environment) {
  CGalleryBuilder collection;
  CLibraryFault fault;
  std::optional<CLibrary> library = ReadLibrary(bytes, collection_path, true, fault);
  if (collection.LoadText(bytes, collection_path) != LoadFailure::kNone || !library) {
    ReportError(environment,
                "the collection made of the photos could not be read back (out of "
                "memory?).");
    return ExitCode::kLoadFailed;
  }
  collection.photos() = PhotosInOrder(library->root);
  if (ReportOutputNameTaken(collection, options, environment)) return ExitCode::kUsage;
  std::optional<COwnNewFile> written;
  WriteFailure failure = WriteFailure::kNone;
  {
    // Once the file has its name, a process ended at once must find it as the build's own.
    CUninterruptedStep write;
    failure = TryWriteNewFileBytes(collection_path, bytes);
    if (failure == WriteFailure::kNone) written.emplace(collection_path);
  }
  if (!written) {
    if (GetPathKind(collection_path) != PathKind::kMissing) {
      ReportCollectionExists(collection_path, plan.folder, environment);
    } else {
      const bool space = failure == WriteFailure::kNoSpace || failure == WriteFailure::kQuota ||
                         failure == WriteFailure::kFileSizeLimit;
      ReportError(environment, collection_path + ": could not be written, as " +
                                   DescribeWriteFailure(failure) + ". " +
                                   (space ? WriteFailureRemedy(failure) + " Or name"
                                          : std::string("Name")) +
                                   " another place with --collection FILE.");
    }
    return ExitCode::kGenerateFailed;
  }
  const ExitCode outcome =
      GenerateInto(collection, library->root, bytes, plan, options, environment);
  if (outcome == ExitCode::kBuilt) written->Keep();
  return outcome;
}

// Says what keeps a text given on the command line (`option` names it) out of a collection file;
// false when nothing does.
bool ReportBadText(std::string_view option, const std::string& text, CCliEnvironment& environment) {
  const std::string name(option);
  switch (FindTextFault(text)) {
    case TextFault::kNone:
      return false;
    case TextFault::kNotUtf8:
      ReportError(environment, name + ": the text is not valid UTF-8. Give it in UTF-8.");
      return true;
    case TextFault::kControlCharacter:
      ReportError(environment, name +
                                   ": the text holds a control character (only tabs and line "
                                   "breaks may be part of it). Leave it out.");
      return true;
  }
  return false;
}

ExitCode RunNew(const CCliOptions& given, CCliEnvironment& environment) {
  const CCliOptions options = ApplyRecordedSettings(given, std::nullopt);
  if (ReportBadText("--title", *options.title, environment) ||
      ReportBadText("--description", options.description, environment)) {
    return ExitCode::kUsage;
  }
  const std::string& photo_folder = options.operands[0];
  const std::string& outdir = options.operands[1];
  std::optional<std::string> preset = FindPreset(environment.preset_folder, options.preset);
  if (!preset) {
    ReportError(environment,
                "'" + options.preset + "' is no known preset. Run 'gallery presets' to list them.");
    return ExitCode::kUsage;
  }
  const std::string collection_path =
      options.collection_path.value_or(DefaultCollectionPath(outdir));
  if (GetPathKind(collection_path) != PathKind::kMissing) {
    ReportCollectionExists(collection_path, StripTrailingSeparators(outdir), environment);
    return ExitCode::kGenerateFailed;
  }
  // The builder starts the imaging library, which reading dates from photos needs.
  CGalleryBuilder builder;
  XmlParseFault fault;
  if (LoadFailure cause = builder.Load(*preset, &fault); cause != LoadFailure::kNone) {
    ReportError(environment, UnloadableMessage(*preset, "preset", cause, fault));
    return ExitCode::kLoadFailed;
  }
  std::optional<CTreeScan> scan = ScanPhotos(photo_folder, *options.order, environment);
  if (!scan) return ExitCode::kLoadFailed;
  TitleTree(scan->root, *options.titles, options.language.value_or(environment.locale_language));
  CLibrary library;
  library.root = AlbumFromTree(scan->root);
  if (CountPhotos(library.root) == 0) {
    ReportError(environment, photo_folder +
                                 ": holds no photos that can be read (JPEG, PNG, GIF, TIFF, "
                                 "WebP, HEIC, AVIF or BMP files) or videos (MP4, MOV, M4V or "
                                 "WebM), nor do its folders. Name a "
                                 "folder with photos.");
    return ExitCode::kLoadFailed;
  }
  library.root.title = *options.title;
  library.root.description = options.description;
  library.settings = RecordedSettings(options);
  std::optional<std::string> bytes = RenderLibrary(library, builder.style());
  if (!bytes) {
    ReportError(environment,
                "the collection of " + photo_folder + " could not be built (out of memory?).");
    return ExitCode::kLoadFailed;
  }
  std::optional<COutputPlan> plan = OpenOutput(outdir, options, environment);
  if (!plan) return ExitCode::kGenerateFailed;
  if (ReportEndangeredInput(TreePhotoPaths(scan->root), "photo", *plan, environment) ||
      ReportEndangeredInput({collection_path}, "collection file", *plan, environment)) {
    return ExitCode::kGenerateFailed;
  }
  if (ReportInterrupted(environment)) return ExitCode::kGenerateFailed;
  return WriteAndBuild(*bytes, collection_path, *plan, options, environment);
}

// "3 photos added (a.jpg, b.jpg, c.jpg ...)": how many of `items` there are, and the first
// few names.
std::string DescribeChanges(const std::vector<std::string>& items, std::string_view noun,
                            std::string_view done) {
  constexpr size_t kShownNames = 3;
  std::string text = std::to_string(items.size()) + " " + std::string(noun) +
                     (items.size() == 1 ? "" : "s") + " " + std::string(done);
  if (items.empty()) return text;
  text += " (";
  for (size_t i = 0; i < items.size() && i < kShownNames; ++i) {
    if (i > 0) text += ", ";
    text += EscapeForTerminal(items[i].substr(items[i].find_last_of('/') + 1));
  }
  return text + (items.size() > kShownNames ? ", ...)" : ")");
}

ExitCode RunUpdate(const CCliOptions& given, CCliEnvironment& environment) {
  const std::string& collection = given.operands[0];
  // The builder starts the imaging library, which reading dates from photos needs.
  CGalleryBuilder builder;
  std::string collection_bytes;
  std::optional<CLibrary> library =
      LoadCollection(collection, builder, false, environment, collection_bytes);
  if (!library) return ExitCode::kLoadFailed;
  const std::string& folder = library->root.folder;
  if (folder.empty()) {
    ReportError(environment, collection +
                                 ": records no folder that it was made from, so there is "
                                 "nothing to read again. Nothing was changed; build it with "
                                 "'gallery build'.");
    return ExitCode::kLoadFailed;
  }
  if (const PathKind kind = GetPathKind(folder); kind != PathKind::kFolder) {
    ReportError(environment, folder +
                                 (kind == PathKind::kMissing ? ": no such folder" : ": not a folder") +
                                 ", though " + collection +
                                 " was made from it. Nothing was changed; put it back, or "
                                 "build the collection as it is with 'gallery build'.");
    return ExitCode::kLoadFailed;
  }
  std::optional<CCliOptions> options = ChooseSettings(given, *library, environment);
  if (!options) return ExitCode::kUsage;
  if (ReportOutputNameTaken(builder, *options, environment)) return ExitCode::kUsage;
  const PhotoOrder order = *options->order;
  std::optional<CTreeScan> scan = ScanPhotos(folder, order, environment);
  if (!scan) return ExitCode::kLoadFailed;
  std::unordered_set<std::string> known;
  CollectPhotoPaths(library->root, known);
  TitleTree(scan->root, *options->titles, options->language.value_or(environment.locale_language),
            known);
  CMergeReport report;
  CLibrary updated = *library;
  updated.root = MergeAlbums(library->root, *scan, order, report);
  // What the command line chose stays chosen for the next update and build.
  if (GivesRecordedSetting(given)) updated.settings = RecordedSettings(*options);
  const bool changed = !report.added_photos.empty() || !report.added_albums.empty() ||
                       !report.dropped_photos.empty() || !report.dropped_albums.empty();
  std::optional<std::string> bytes;
  if (changed || updated.settings != library->settings) {
    bytes = RenderLibrary(updated, builder.style());
    if (!bytes) {
      ReportError(environment, "the updated collection of " + collection +
                                   " could not be built (out of memory?). Nothing was changed.");
      return ExitCode::kLoadFailed;
    }
  }
  CAlbum albums = updated.root;
  ResolveAlbumPaths(albums, collection);
  builder.photos() = PhotosInOrder(albums);
  std::optional<COutputPlan> plan = OpenOutput(options->operands[1], *options, environment);
  if (!plan) return ExitCode::kGenerateFailed;
  if (ReportEndangeredInput({collection}, "collection file", *plan, environment) ||
      ReportEndangeredInput(PhotoPaths(builder), "photo", *plan, environment)) {
    return ExitCode::kGenerateFailed;
  }
  // The new collection file waits beside the old one until the gallery is in place.
  std::optional<CFileReplacement> replacement;
  if (bytes) {
    replacement.emplace(collection);
    if (const WriteFailure failure = replacement->Write(*bytes); failure != WriteFailure::kNone) {
      ReportError(environment, collection + ": could not be replaced, as " +
                                   DescribeWriteFailure(failure) + ". " +
                                   WriteFailureRemedy(failure) + " Nothing was changed.");
      return ExitCode::kGenerateFailed;
    }
  }
  if (!options->quiet) {
    environment.err << "gallery: " << EscapeForTerminal(collection) << ": "
                    << (changed ? DescribeChanges(report.added_photos, "photo", "added") + ", " +
                                      DescribeChanges(report.added_albums, "album", "added") +
                                      ", " +
                                      DescribeChanges(report.dropped_photos, "photo", "dropped") +
                                      ", " +
                                      DescribeChanges(report.dropped_albums, "album", "dropped")
                                : std::string("no photo or folder was added or dropped"))
                    << ".\n"
                    << std::flush;
  }
  if (ReportInterrupted(environment)) return ExitCode::kGenerateFailed;
  return GenerateInto(builder, albums, bytes ? *bytes : collection_bytes, *plan, *options,
                      environment, replacement ? &*replacement : nullptr, true);
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

std::string DefaultCollectionPath(const std::string& outdir) {
  std::string folder = StripTrailingSeparators(outdir);
  const std::string name = folder.substr(folder.find_last_of("/\\") + 1);
  // "." or ".." has no name of its own to put the collection beside.
  if (name == "." || name == "..") folder = AbsolutePath(folder);
  return folder + ".collection.xml";
}

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
    case CliCommand::kUpdate:
      return RunUpdate(options, environment);
    case CliCommand::kPresets:
      return RunPresets(environment);
    case CliCommand::kNone:
      break;
  }
  return ExitCode::kUsage;
}

}  // namespace gallery
