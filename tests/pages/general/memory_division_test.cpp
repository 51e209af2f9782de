// The memory division's figures, release rules and outward search, against a
// kernel whose answers the test chooses.
#include "pages/general/memory_division.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "support/fakes.h"

namespace talvon {
namespace {

class ScriptedDivision final : public MemoryDivision {
 public:
  bool GetDivision(MemoryDivisionFigures* f) override {
    *f = {storagePages, totalPages - storagePages, pageSize};
    return true;
  }
  std::uint32_t SetStorageDivision(std::uint32_t pages) override {
    asked.push_back(pages);
    if (!accept(pages)) return SYSMEM_FAILED;
    storagePages = pages;
    return SYSMEM_CHANGED;
  }
  bool GetObjectStore(ObjectStoreFigures* f) override {
    *f = {storagePages * pageSize, storagePages * pageSize - storageUsedBytes};
    return true;
  }
  bool GetPhysicalMemory(PhysicalMemoryFigures* f) override {
    const std::uint32_t program = (totalPages - storagePages) * pageSize;
    *f = {program, program > programUsedBytes ? program - programUsedBytes : 0};
    return true;
  }

  // The worked example: 4 KB pages, 8192 pages, half storage, 1000 and 3000 in use.
  std::uint32_t pageSize = 4096;
  std::uint32_t totalPages = 8192;
  std::uint32_t storagePages = 4096;
  std::uint32_t storageUsedBytes = 1000 * 4096;
  std::uint32_t programUsedBytes = 2999 * 4096;
  std::function<bool(std::uint32_t)> accept = [](std::uint32_t) { return true; };
  std::vector<std::uint32_t> asked;
};

struct MemoryDivisionLogic : ::testing::Test {
  MemoryDivisionResult Apply(int position) { return ApplyMemoryDivision({kernel, registry}, position, 4096); }
  ScriptedDivision kernel;
  test::FakeRegistry registry;
};

TEST_F(MemoryDivisionLogic, FiguresAndReleaseRulesOfTheWorkedExample) {
  const MemoryFigures f = QueryMemoryFigures(kernel);
  EXPECT_EQ(f.storageInUse, 1000u);
  EXPECT_EQ(f.programInUse, 3000u);
  EXPECT_EQ(LowerLimitUnits(f), 62);
  EXPECT_EQ(UpperLimitUnits(f), 321);
  EXPECT_EQ(ReleasedPosition(f, 400), 319);
  EXPECT_EQ(ReleasedPosition(f, 512), 319);
  EXPECT_EQ(ReleasedPosition(f, 10), 62);
  EXPECT_EQ(ReleasedPosition(f, 200), 200);
  EXPECT_EQ(Apply(319).storagePages, 5104u);
}

TEST_F(MemoryDivisionLogic, AnAcceptedDownwardStepWhoseEasedRequestIsRefusedStaysInForce) {
  // Refuses the request and everything below 5088 but 5088 itself.
  kernel.accept = [](std::uint32_t pages) { return pages == 5088; };
  const MemoryDivisionResult r = Apply(319);
  EXPECT_EQ(kernel.asked, (std::vector<std::uint32_t>{5104, 5088, 5056}));
  EXPECT_EQ(r.outcome, MemoryDivisionResult::Outcome::Searched);
  EXPECT_EQ(r.storagePages, 5088u);
  EXPECT_EQ(kernel.storagePages, 5088u);
}

TEST_F(MemoryDivisionLogic, NothingAcceptedShowsTheDivisionInForceNotAnOlderOne) {
  kernel.storagePages = 4000;  // moved by an earlier Confirm Settings; 4096 was the page's start
  kernel.accept = [](std::uint32_t) { return false; };
  const MemoryDivisionResult r = Apply(200);
  EXPECT_EQ(r.storagePages, 4000u);
  EXPECT_GT(kernel.asked.size(), 100u);
}

TEST_F(MemoryDivisionLogic, ProgramsFillingTheMemoryNeverTurnIntoAHugeRequest) {
  kernel.storagePages = 20;
  kernel.storageUsedBytes = 10 * 4096;
  kernel.programUsedBytes = (kernel.totalPages - kernel.storagePages) * kernel.pageSize;  // all program memory used
  kernel.accept = [](std::uint32_t) { return false; };
  const MemoryFigures f = QueryMemoryFigures(kernel);
  EXPECT_LT(UpperLimitUnits(f), 0);
  Apply(300);
  for (std::uint32_t pages : kernel.asked) EXPECT_LE(pages, kernel.totalPages);
}

TEST_F(MemoryDivisionLogic, PagesUnderOneKilobyteKeepTheirMarginAndLabels) {
  kernel.pageSize = 512;
  kernel.storageUsedBytes = 1000 * 512;
  kernel.programUsedBytes = 2999 * 512;
  const MemoryFigures f = QueryMemoryFigures(kernel);
  EXPECT_EQ(f.pageSizeKb, 0u);
  EXPECT_EQ(MarginPages(f), 256);
  EXPECT_EQ(PagesToKb(f, 4096), 2048);
  EXPECT_EQ(ReleasedPosition(f, 10), 62 + 4);  // 32 KB above storage in use is four units of 16 half-kilobyte pages

  kernel.pageSize = 0;
  const MemoryFigures none = QueryMemoryFigures(kernel);
  EXPECT_EQ(MarginPages(none), 0);
  EXPECT_EQ(ReleasedPosition(none, 10), LowerLimitUnits(none));
}

}  // namespace
}  // namespace talvon
