#include "sim/roles/sim_memory_division.h"

#include <gtest/gtest.h>

#include "sim/controller/controller_config.h"

namespace talvon::sim {
namespace {

// The figures the general setting page derives, as it derives them.
struct PageView {
  std::uint32_t totalPages, storagePages, storageInUse, programInUse;
};

PageView View(SimMemoryDivision& memory) {
  MemoryDivisionFigures division;
  ObjectStoreFigures store;
  PhysicalMemoryFigures physical;
  EXPECT_TRUE(memory.GetDivision(&division));
  EXPECT_TRUE(memory.GetObjectStore(&store));
  EXPECT_TRUE(memory.GetPhysicalMemory(&physical));
  const std::uint32_t page = division.pageSize;
  return {division.storagePages + division.programPages, division.storagePages,
          division.storagePages - store.freeBytes / page,
          physical.totalBytes / page - physical.availableBytes / page + 1};
}

TEST(MemoryDivision, DefaultControllerShowsTheFamiliarFigures) {
  SimMemoryDivision memory(DefaultControllerConfig().memory);
  MemoryDivisionFigures division;
  ASSERT_TRUE(memory.GetDivision(&division));
  EXPECT_EQ(division.pageSize, 4096u);
  PageView view = View(memory);
  EXPECT_EQ(view.totalPages, 8192u);
  EXPECT_EQ(view.storagePages, 4096u);
  EXPECT_EQ(view.storageInUse, 1000u);
  EXPECT_EQ(view.programInUse, 3000u);
}

TEST(MemoryDivision, AcceptedDivisionMovesEveryFigure) {
  SimMemoryDivision memory(DefaultControllerConfig().memory);
  // The page's largest request: 48 pages beyond those in use, less 32.
  ASSERT_EQ(memory.SetStorageDivision(5104), SYSMEM_CHANGED);
  MemoryDivisionFigures division;
  ObjectStoreFigures store;
  PhysicalMemoryFigures physical;
  ASSERT_TRUE(memory.GetDivision(&division));
  ASSERT_TRUE(memory.GetObjectStore(&store));
  ASSERT_TRUE(memory.GetPhysicalMemory(&physical));
  EXPECT_EQ(division.storagePages, 5104u);
  EXPECT_EQ(division.programPages, 3088u);
  EXPECT_EQ(store.totalBytes, 5104u * 4096);
  EXPECT_EQ(physical.totalBytes, 3088u * 4096);
  PageView view = View(memory);
  EXPECT_EQ(view.storageInUse, 1000u);
  EXPECT_EQ(view.programInUse, 3000u);
}

TEST(MemoryDivision, RefusesToCutIntoMemoryInUse) {
  MemoryConfig config = DefaultControllerConfig().memory;
  // Files fill 999 pages and part of a 1000th; programs 2998 and a half,
  // with 32 pages kept in reserve.
  SimMemoryDivision memory(config);
  EXPECT_EQ(memory.SetStorageDivision(999), SYSMEM_FAILED);
  EXPECT_EQ(memory.SetStorageDivision(0), SYSMEM_FAILED);
  EXPECT_EQ(memory.SetStorageDivision(8192 - 2999 - 32 + 1), SYSMEM_FAILED);
  EXPECT_EQ(memory.SetStorageDivision(8192), SYSMEM_FAILED);
  EXPECT_EQ(memory.SetStorageDivision(9000), SYSMEM_FAILED);
  EXPECT_EQ(memory.SetStorageDivision(0xFFFFFFFF), SYSMEM_FAILED);
  EXPECT_EQ(View(memory).storagePages, 4096u);

  EXPECT_EQ(memory.SetStorageDivision(1000), SYSMEM_CHANGED);
  EXPECT_EQ(View(memory).storagePages, 1000u);
  EXPECT_EQ(memory.SetStorageDivision(8192 - 2999 - 32), SYSMEM_CHANGED);
  EXPECT_EQ(View(memory).storagePages, 8192u - 2999 - 32);
}

TEST(MemoryDivision, PageSearchFindsTheNearestAcceptableBoundary) {
  // A request just below storage in use is refused; one slider unit up is not.
  SimMemoryDivision memory(DefaultControllerConfig().memory);
  EXPECT_EQ(memory.SetStorageDivision(992), SYSMEM_FAILED);
  EXPECT_EQ(memory.SetStorageDivision(1008), SYSMEM_CHANGED);
}

}  // namespace
}  // namespace talvon::sim
