// Catches a wrong best-fit choice, a split that breaks the tiling, a failed allocation or a
// repeated release that changes the pool, and a report or checker that misses a corruption
// (or finds a false one).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "particles/pools.h"
#include "support/support.h"

namespace {

using particles::CheckBlockMap;
using particles::Emiter;
using particles::Pool2D;
using Lines = std::vector<std::string>;

// The map and the emitters' counts; the checker sees a slot flag left set.
std::vector<uint32_t> Map(const Pool2D& p) {
  std::vector<uint32_t> m(p.blockSize, p.blockSize + 3000);
  m.insert(m.end(), p.blockUsed, p.blockUsed + 3000);
  for (const Emiter& emiter : p.emiters) m.push_back(emiter.count);
  return m;
}

// A pool made over memory full of ones, as a reused heap may hand out: the constructor must
// set every field the checker reads.
std::unique_ptr<Pool2D> NewPool() {
  void* memory = ::operator new(sizeof(Pool2D));
  std::memset(memory, 0xFF, sizeof(Pool2D));
  return std::unique_ptr<Pool2D>(new (memory) Pool2D);
}

// Build: the sizes allocated in a fresh pool, then those listed released. Every call is checked.
struct Pool : ::testing::Test {
  std::unique_ptr<Pool2D> pool = NewPool();
  std::vector<Emiter*> e;
  void Build(std::vector<unsigned> sizes, std::vector<int> release) {
    pool = NewPool(), e.clear();
    for (unsigned size : sizes) e.push_back(Allocate(size));
    for (int i : release) Release(e[i]);
  }
  Emiter* Allocate(unsigned count) { return Checked(pool->AllocateEmiter(count)); }
  void Release(Emiter* emiter) { pool->ReleaseEmiter(emiter), Checked(emiter); }
  Emiter* Checked(Emiter* emiter) {
    EXPECT_EQ(CheckBlockMap(*pool), "");
    return emiter;
  }
  uint32_t Head(const Emiter* emiter) { return static_cast<uint32_t>(emiter->particles - pool->particles); }
};

TEST_F(Pool, AllocationTakesTheSmallestFittingBlockAtTheLowestHead) {
  struct Case { std::vector<unsigned> sizes; uint32_t head; };  // sizes 0 and 2 released
  for (const Case& c : {Case{{50, 10, 200, 10}, 60},      // 50 too small; 200 beats the tail
                        Case{{300, 10, 120, 10}, 310},    // the later, smaller block
                        Case{{120, 10, 120, 10}, 0},      // equal sizes: the lower head
                        Case{{100, 10, 300, 10}, 0}}) {   // an exact fit writes no block after it
    Build(c.sizes, {0, 2});
    EXPECT_EQ(Head(Allocate(100)), c.head);
  }
}

// The demo's end-to-end logs pin the merging of released blocks.
TEST_F(Pool, FailedAllocationsAndRepeatedReleasesChangeNothing) {
  for (int i = 0; i < 49; ++i) ASSERT_NE(Allocate(1), nullptr);  // 2951 slots left
  std::vector<uint32_t> before = Map(*pool);
  EXPECT_EQ(Allocate(0), nullptr);     // a 0-length block would stop every walk
  EXPECT_EQ(Allocate(2952), nullptr);  // no free block that large
  EXPECT_EQ(Map(*pool), before);
  EXPECT_EQ(Allocate(2950), &pool->emiters[49]);  // the slot was given back
  before = Map(*pool);
  EXPECT_EQ(Allocate(1), nullptr);  // the 51st emitter, with a slot free for it
  EXPECT_EQ(Map(*pool), before);
  Release(&pool->emiters[0]);
  before = Map(*pool);
  Release(&pool->emiters[0]);  // a second release and a null are ignored
  Release(nullptr);
  EXPECT_EQ(Map(*pool), before);
}

// Each corruption alone is found; the report flags it under its block's line, and nothing else.
TEST_F(Pool, TheReportAndTheCheckerFindCorruptionAndOnlyCorruption) {
  Build({100, 100}, {0});  // a used block after a free one: sound
  pool->visibleCount = 50;
  EXPECT_EQ(CheckBlockMap(*pool), "");
  pool->visibleCount = 51;
  EXPECT_NE(CheckBlockMap(*pool), "");
  pool->visibleCount = 50;
  auto* const own = e[1]->particles;
  const std::unique_ptr<Pool2D> other = NewPool();
  e[1]->particles = other->particles + 100;  // another pool's slots, below or above this one's
  EXPECT_NE(CheckBlockMap(*pool).find("outside the pool"), std::string::npos);
  e[1]->particles = own;
  pool->blockSize[200] = 2801;  // runs one slot past the end
  EXPECT_NE(CheckBlockMap(*pool), "");
  pool->blockSize[200] = 2800;
  pool->blockUsed[5] = 1;
  EXPECT_NE(CheckBlockMap(*pool), "");
  support::LogCapture log;
  pool->LogAllocation();
  EXPECT_EQ(log.Lines(), (Lines{"< Particles System LOG START >", "< Particles Allocation LOG >",
                                "Bloc : 0, Size : 100, Used : 0",
                                "Particles Allocation Error : Bloc corrupted at index 5",
                                "Bloc : 100, Size : 100, Used : 1", "Bloc : 200, Size : 2800, Used : 0",
                                "< Particles System LOG END >"}));
}

}  // namespace
