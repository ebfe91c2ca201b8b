#include "generate/image_work.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "imaging/photo_memory.h"
#include "platform/file_status.h"
#include "platform/photo.h"
#include "platform/imaging_runtime.h"

namespace gallery {
namespace {

// Thumbnails kept back per worker for the end of the run, where they keep the other workers
// busy while the last page image is made (a page image takes several times a thumbnail's time).
constexpr int kThumbnailsKeptBackPerWorker = 4;

// After a photo that needed more than this, the memory it freed is given back at once.
constexpr int64_t kReturnMemoryAfter = int64_t{32} << 20;

}  // namespace

std::vector<CImageJob> PlanImageJobs(const std::vector<int64_t>& costs, bool thumbnails,
                                     int workers) {
  const int photo_count = static_cast<int>(costs.size());
  std::vector<int> order(costs.size());
  for (int index = 0; index < photo_count; ++index) order[index] = index;
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return costs[a] > costs[b]; });
  const int kept_back =
      thumbnails ? std::min(photo_count, kThumbnailsKeptBackPerWorker * std::max(1, workers)) : 0;
  std::vector<CImageJob> jobs;
  jobs.reserve(order.size() + kept_back);
  for (int position = 0; position < photo_count; ++position) {
    jobs.push_back({order[position], true, thumbnails && position < photo_count - kept_back});
  }
  for (int position = photo_count - kept_back; position < photo_count; ++position) {
    jobs.push_back({order[position], false, true});
  }
  return jobs;
}

CImageWork::CImageWork(const CImageSettings& page_settings,
                       std::vector<CImageSettings> thumbnail_settings,
                       std::vector<CPhotoImagePaths> photos, int workers, IImageCache* cache)
    : page_settings_(page_settings),
      thumbnail_settings_(std::move(thumbnail_settings)),
      photos_(std::move(photos)),
      cache_(cache),
      parts_left_(photos_.size(), thumbnail_settings_.empty() ? 1 : 2),
      page_image_done_(photos_.size(), false),
      results_(photos_.size()) {
  // A thumbnail is drawn from its page image, so what shapes the page image shapes it too. The
  // settings only page images read are carried along (thumbnails are made without reading
  // them), so that a cache tells apart the thumbnails of differently made page images.
  for (CImageSettings& settings : thumbnail_settings_) {
    settings.max_long_side = page_settings_.max_long_side;
    settings.reduced_decoding = page_settings_.reduced_decoding;
  }
  if (workers <= 0) return;
  std::vector<int64_t> costs;
  costs.reserve(photos_.size());
  for (const CPhotoImagePaths& photo : photos_) {
    // A source that cannot be read is passed over in no time.
    const std::optional<CFileStatus> status = GetFileStatus(photo.source);
    costs.push_back(status ? status->size : 0);
  }
  jobs_ = PlanImageJobs(costs, !thumbnail_settings_.empty(), workers);
  // Each photo on a core of its own beats several cores on one photo: the JPEG codec itself
  // runs in one thread either way.
  SetImagingThreadCount(1);
  for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
}

CImageWork::~CImageWork() { Stop(); }

const CPhotoImages& CImageWork::WaitFor(int index) {
  if (threads_.empty()) {
    MakePageImage(index);
    if (!thumbnail_settings_.empty()) MakeThumbnails(index);
  } else {
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [&] { return parts_left_[index] == 0; });
  }
  return results_[index];
}

std::vector<CPhotoImages> CImageWork::TakeResults() {
  Stop();
  return std::move(results_);
}

void CImageWork::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  for (std::thread& thread : threads_) thread.join();
  if (!threads_.empty()) SetImagingThreadCount(0);
  threads_.clear();
}

int64_t CImageWork::MemoryNeed(const CImageJob& job) const {
  if (!job.page_image) return 0;
  // A source whose header cannot be read fails at once, needing nothing.
  const std::optional<PhotoHeader> header = ReadPhotoHeader(photos_[job.index].source, INT64_MAX);
  return header ? PhotoMemoryNeed(*header) : 0;
}

void CImageWork::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (stopping_) return;
    CImageJob job;
    int64_t need = 0;
    if (!deferred_.empty() &&
        MayStartPhoto(deferred_.front().second, need_in_flight_, photos_in_flight_)) {
      // A photo put aside for its memory goes first as soon as it fits.
      job = jobs_[deferred_.front().first];
      need = deferred_.front().second;
      deferred_.erase(deferred_.begin());
    } else if (next_job_ < jobs_.size() &&
               (jobs_[next_job_].page_image || deferred_.empty() ||
                page_image_done_[jobs_[next_job_].index])) {
      const size_t position = next_job_++;
      job = jobs_[position];
      // The header is read outside the lock; the job is this worker's meanwhile.
      lock.unlock();
      need = MemoryNeed(job);
      lock.lock();
      if (!MayStartPhoto(need, need_in_flight_, photos_in_flight_)) {
        // Too large to be made beside the photos in flight: another job takes this worker.
        deferred_.emplace_back(position, need);
        continue;
      }
      // Thumbnails alone may have been taken while another worker still makes their page
      // image, which was taken before them and so always ends.
      if (!job.page_image) {
        finished_.wait(lock, [&] { return static_cast<bool>(page_image_done_[job.index]); });
      }
    } else if (!deferred_.empty() || next_job_ < jobs_.size()) {
      // What is left waits for the memory of a photo in flight or for a page image put aside.
      finished_.wait(lock);
      continue;
    } else {
      return;
    }
    need_in_flight_ += need;
    ++photos_in_flight_;
    lock.unlock();
    if (job.page_image) MakePageImage(job.index);
    if (job.thumbnails) MakeThumbnails(job.index);
    if (need > kReturnMemoryAfter) ReturnFreedMemory();
    lock.lock();
    need_in_flight_ -= need;
    --photos_in_flight_;
    if (job.page_image) page_image_done_[job.index] = true;
    parts_left_[job.index] -= (job.page_image ? 1 : 0) + (job.thumbnails ? 1 : 0);
    finished_.notify_all();
  }
}

CScaledPhoto CImageWork::MakeImage(int index, const CImageSettings& settings,
                                   const std::string& source, const std::string& path,
                                   int mode) const {
  return cache_ != nullptr
             ? cache_->FetchOrMake(settings, photos_[index].source, source, path, mode)
             : WriteScaledPhoto(settings, source, path, mode);
}

void CImageWork::MakePageImage(int index) {
  const CPhotoImagePaths& photo = photos_[index];
  results_[index].page_image =
      MakeImage(index, page_settings_, photo.source, photo.page_image, kPageImageMode);
}

void CImageWork::MakeThumbnails(int index) {
  const CPhotoImagePaths& photo = photos_[index];
  std::vector<CScaledPhoto>& thumbnails = results_[index].thumbnails;
  thumbnails.clear();
  // A thumbnail's source is the page image's file, whatever became of it.
  for (size_t i = 0; i < thumbnail_settings_.size() && i < photo.thumbnails.size(); ++i) {
    thumbnails.push_back(
        MakeImage(index, thumbnail_settings_[i], photo.page_image, photo.thumbnails[i],
                  kThumbnailMode));
  }
}

}  // namespace gallery
