#include "generate/image_work.h"

#include <set>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace gallery {
namespace {

std::vector<int> PageImageOrder(const std::vector<CImageJob>& jobs) {
  std::vector<int> order;
  for (const CImageJob& job : jobs) {
    if (job.page_image) order.push_back(job.index);
  }
  return order;
}

// Whatever the costs, every photo gets its page image and its thumbnails exactly once, and
// thumbnails taken alone come only after every page image, so no worker waits on one not taken.
void ExpectCompletePlan(const std::vector<CImageJob>& jobs, int photo_count, bool thumbnails) {
  std::multiset<int> pages;
  std::multiset<int> thumbs;
  bool alone_seen = false;
  for (const CImageJob& job : jobs) {
    if (job.page_image) {
      EXPECT_FALSE(alone_seen) << "page image " << job.index << " after thumbnails alone";
      pages.insert(job.index);
    } else {
      alone_seen = true;
    }
    if (job.thumbnails) thumbs.insert(job.index);
  }
  for (int index = 0; index < photo_count; ++index) {
    EXPECT_EQ(pages.count(index), 1u) << index;
    EXPECT_EQ(thumbs.count(index), thumbnails ? 1u : 0u) << index;
  }
  EXPECT_EQ(pages.size(), static_cast<size_t>(photo_count));
}

TEST(PlanImageJobsTest, StartsTheCostliestPageImagesFirstAndKeepsPhotoOrderOnTies) {
  const std::vector<int64_t> costs = {10, 900, 10, 0, 5000, 900};
  const std::vector<CImageJob> jobs = PlanImageJobs(costs, false, 2);
  EXPECT_EQ(PageImageOrder(jobs), (std::vector<int>{4, 1, 5, 0, 2, 3}));
  ExpectCompletePlan(jobs, 6, false);
}

TEST(PlanImageJobsTest, KeepsBackTheThumbnailsOfTheCheapestPhotosForTheEnd) {
  std::vector<int64_t> costs;
  for (int index = 0; index < 20; ++index) costs.push_back(index % 2 == 0 ? 100 + index : 1);
  const std::vector<CImageJob> jobs = PlanImageJobs(costs, true, 2);
  ExpectCompletePlan(jobs, 20, true);
  // Four per worker are kept back: the eight cheapest photos, the odd ones.
  std::vector<int> alone;
  for (const CImageJob& job : jobs) {
    if (!job.page_image) alone.push_back(job.index);
  }
  ASSERT_EQ(alone.size(), 8u);
  for (int index : alone) EXPECT_EQ(index % 2, 1) << index;
  EXPECT_EQ(jobs.front().index, 18);
  EXPECT_TRUE(jobs.front().thumbnails);
}

TEST(PlanImageJobsTest, FewPhotosOrNoneStillMakeCompletePlans) {
  for (int count : {0, 1, 3, 8}) {
    for (int workers : {1, 2, 16}) {
      const std::vector<int64_t> costs(count, 7);
      ExpectCompletePlan(PlanImageJobs(costs, true, workers), count, true);
      ExpectCompletePlan(PlanImageJobs(costs, false, workers), count, false);
    }
  }
  EXPECT_TRUE(PlanImageJobs({}, true, 2).empty());
}

}  // namespace
}  // namespace gallery
