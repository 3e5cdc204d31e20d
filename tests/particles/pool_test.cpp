// Catches block map faults: a wrong best-fit choice, a split or merge that breaks
// the tiling, a failed allocation that changes the pool, and a report that misses
// a corrupted flag. The end-to-end runs check the demo's own exit report.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "particles/pools.h"
#include "support/support.h"

namespace {

using particles::Emiter;
using particles::Pool2D;

// The map and slot flags, to compare a pool before and after a failed call.
std::vector<uint32_t> Map(const Pool2D& p) {
  std::vector<uint32_t> m(p.blockSize, p.blockSize + 3000);
  m.insert(m.end(), p.blockUsed, p.blockUsed + 3000);
  m.insert(m.end(), p.emiterUsed, p.emiterUsed + 50);
  return m;
}

// Allocates the sizes in order, then releases those listed, checking the map each time.
struct Pool : ::testing::Test {
  std::unique_ptr<Pool2D> pool = std::make_unique<Pool2D>();
  std::vector<Emiter*> e;
  void Build(std::vector<unsigned> sizes, std::vector<int> release) {
    for (unsigned size : sizes) e.push_back(Allocate(size));
    for (int i : release) Release(e[i]);
  }
  Emiter* Allocate(unsigned count) {
    Emiter* got = pool->AllocateEmiter(count);
    EXPECT_EQ(particles::CheckBlockMap(*pool), "") << "after allocating " << count;
    return got;
  }
  void Release(Emiter* emiter) {
    pool->ReleaseEmiter(emiter);
    EXPECT_EQ(particles::CheckBlockMap(*pool), "") << "after a release";
  }
  uint32_t Head(const Emiter* emiter) {
    return static_cast<uint32_t>(emiter->particles - pool->particles);
  }
};

TEST_F(Pool, AllocationTakesTheSmallestFittingBlockAtTheLowestHead) {
  EXPECT_EQ(pool->blockSize[0], 3000u);
  Emiter* first = Allocate(100);
  EXPECT_EQ(first, &pool->emiters[0]);
  EXPECT_EQ(first->data, &pool->particleData[0]);
  EXPECT_EQ(first->count, 100u);
  EXPECT_EQ(pool->blockSize[100], 2900u);

  struct Case {
    std::vector<unsigned> sizes;
    uint32_t head;
  };
  for (const Case& c : {Case{{50, 10, 200, 10}, 60},     // 50 too small; 200 beats the tail
                        Case{{300, 10, 120, 10}, 310},   // the later, smaller block
                        Case{{120, 10, 120, 10}, 0}}) {  // equal sizes: the lower head
    pool = std::make_unique<Pool2D>();
    e.clear();
    Build(c.sizes, {0, 2});
    EXPECT_EQ(Head(Allocate(100)), c.head);
  }
}

TEST_F(Pool, AnExactFitWritesNoNewBlockAndAFailedAllocationChangesNothing) {
  Build({120, 10}, {0});
  EXPECT_EQ(Head(Allocate(120)), 0u);
  EXPECT_EQ(pool->blockSize[120], 10u);  // the next block's head, untouched

  const std::vector<uint32_t> before = Map(*pool);
  EXPECT_EQ(Allocate(0), nullptr);     // a 0-length block would stop every walk
  EXPECT_EQ(Allocate(2871), nullptr);  // 2870 slots are free
  EXPECT_EQ(Map(*pool), before);
  EXPECT_EQ(pool->emiters[2].count, 0u);
  EXPECT_EQ(Allocate(2870), &pool->emiters[2]);  // the slot was given back

  pool = std::make_unique<Pool2D>();
  for (int i = 0; i < 50; ++i) ASSERT_NE(Allocate(1), nullptr);
  const std::vector<uint32_t> fifty = Map(*pool);
  EXPECT_EQ(Allocate(1), nullptr);  // the 51st
  EXPECT_EQ(Map(*pool), fifty);
}

TEST_F(Pool, ReleaseMergesOnlyWithAFreeBlockAfterIt) {
  Build({100, 200, 300}, {1});  // next block used: no merge
  EXPECT_EQ(pool->blockSize[100], 200u);
  Release(e[0]);  // next block free: 100 + 200
  EXPECT_EQ(pool->blockSize[0], 300u);
  Release(e[2]);  // the tail joins; the block before stays apart
  EXPECT_EQ(pool->blockSize[0], 300u);
  EXPECT_EQ(pool->blockSize[300], 2700u);
  Release(e[2]);  // a second release and a null are ignored
  Release(nullptr);
  Release(Allocate(2700));  // ends at the last slot: nothing after it
  EXPECT_EQ(pool->blockSize[300], 2700u);
}

TEST_F(Pool, TheReportAndTheCheckerFindCorruptionAndOnlyCorruption) {
  // A used block after a free one, and all fifty emitters listed, are sound.
  Build({100, 100}, {0});
  pool->visibleCount = 50;
  EXPECT_EQ(particles::CheckBlockMap(*pool), "");
  {
    support::LogCapture log;
    pool->LogAllocation();
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "< Particles System LOG START >", "< Particles Allocation LOG >",
                               "Bloc : 0, Size : 100, Used : 0", "Bloc : 100, Size : 100, Used : 1",
                               "Bloc : 200, Size : 2800, Used : 0", "< Particles System LOG END >"}));
  }
  pool->blockSize[200] = 2801;  // runs one slot past the end
  EXPECT_NE(particles::CheckBlockMap(*pool), "");
  pool->blockSize[200] = 2800;
  pool->visibleCount = 51;
  EXPECT_NE(particles::CheckBlockMap(*pool), "");

  pool = std::make_unique<Pool2D>();
  pool->blockUsed[5] = 1;
  EXPECT_NE(particles::CheckBlockMap(*pool), "");
  support::LogCapture log;
  pool->LogAllocation();
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "< Particles System LOG START >", "< Particles Allocation LOG >",
                             "Bloc : 0, Size : 3000, Used : 0",
                             "Particles Allocation Error : Bloc corrupted at index 5",
                             "< Particles System LOG END >"}));
}

}  // namespace
