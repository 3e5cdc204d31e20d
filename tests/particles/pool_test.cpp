// Catches block map faults: a wrong best-fit choice, a split or merge that breaks
// the tiling, a failed allocation that changes the pool, and a report that misses
// a corrupted flag or drifts from the demo's exit lines.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "particles/pools.h"
#include "test_support.h"

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

TEST_F(Pool, TheReportFlagsAUsedFlagInsideABlock) {
  pool->blockUsed[5] = 1;
  EXPECT_NE(particles::CheckBlockMap(*pool), "");
  test_support::LogCapture log;
  pool->LogAllocation();
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "< Particles System LOG START >", "< Particles Allocation LOG >",
                             "Bloc : 0, Size : 3000, Used : 0",
                             "Particles Allocation Error : Bloc corrupted at index 5",
                             "< Particles System LOG END >"}));
}

// The demo's pool life: both pools created, twelve emitters each, released alternately
// in allocation order, then the exit reports and destruction.
TEST(Pools, TheDemoOrderEndsInTheExpectedReports) {
  test_support::LogCapture log;
  particles::CreatePools();
  std::vector<Emiter*> e2;
  std::vector<particles::Emiter3D*> e3;
  for (int i = 0; i < 12; ++i) {
    e2.push_back(particles::g_2DPool->AllocateEmiter(i < 10 ? 100 : i == 10 ? 1000 : 500));
    e3.push_back(particles::g_3DPool->AllocateEmiter(i < 10 ? 150 : i == 10 ? 1000 : 500));
  }
  EXPECT_EQ(particles::CheckBlockMap(*particles::g_3DPool), "");
  EXPECT_EQ(particles::g_3DPool->NextHead(2500), 3000u);  // exactly full
  for (int i = 0; i < 12; ++i) {
    particles::g_2DPool->ReleaseEmiter(e2[i]);
    particles::g_3DPool->ReleaseEmiter(e3[i]);
  }
  particles::ReportAndDestroyPools();
  EXPECT_EQ(particles::g_2DPool, nullptr);

  std::vector<std::string> expected = {
      "Particle Pool Initialization...", "Particle Pool Initialized!",
      "Particle3D Pool Initialization...", "Particle3D Pool Initialized!"};
  auto report = [&](const std::string& label, int step, int last) {
    expected.push_back("< Particles System LOG START >");
    expected.push_back("< Particles Allocation LOG >");
    auto bloc = [&](int head, int size) {
      expected.push_back("Bloc : " + std::to_string(head) + ", Size : " + std::to_string(size) +
                         ", Used : 0");
    };
    for (int i = 0; i < 10; ++i) bloc(i * step, step);
    bloc(10 * step, 1000);
    bloc(10 * step + 1000, last);
    expected.insert(expected.end(), {"< Particles System LOG END >", label + " Pool Destruction...",
                                     label + " Pool Destroyed!"});
  };
  report("Particle", 100, 1000);
  report("Particle3D", 150, 500);
  EXPECT_EQ(log.Lines(), expected);
}

}  // namespace
