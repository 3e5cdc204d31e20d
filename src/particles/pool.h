// pool.h: ParticlePool, a scene's preallocated particles and emitters: the best-fit block
// map, the visible list, its walk and stamps, the velocities' binding, the block report, a checker.
#pragma once

// Block map invariants (CheckBlockMap verifies them):
// - The kParticleSlots slots are tiled by consecutive blocks without gap or overlap.
//   Walking from head 0, the next head is h + blockSize[h]; the walk ends exactly at
//   kParticleSlots, and every head's blockSize is at least 1.
// - blockUsed[h] is 1 for a block owned by an emitter and 0 for a free block. At an
//   index that is not a head, blockUsed is 0 and blockSize means nothing (0xFFFFFFFF
//   from construction, or the stale length of a block merged away).
// - Two free blocks may sit side by side: a release merges only with the block after.
// - particles[i].data is &particleData[i] for the whole life of the pool.
// - An emitter slot e in use (emiterUsed[e] == 1) owns exactly one used block, headed
//   by h = its particles - particles: its data is &particleData[h] and its count is
//   blockSize[h]. Every used block belongs to exactly one emitter in use.
// - visibleEmiters[0 .. visibleCount - 1] are emitters of this pool; passes rebuild it,
//   and stamps[0 .. stampCount - 1] with it.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <type_traits>

#include "platform/log.h"

namespace particles {

// The passes take an emitter's particles in runs of this many: the behaviour of each, then
// the projection of the run. On the console 32, whose records (2 KB) stay in its 16 KB
// data cache from one to the other; larger caches keep a whole block, taken in one run.
#if defined(__arm__)
inline constexpr uint32_t kPassRun = 32;
#else
inline constexpr uint32_t kPassRun = 3000;
#endif

// One 3x3 stamp as the plots draw it: its centre pixel and its colour.
struct ScreenStamp {
  int32_t x, y;     // 1..318, 1..238
  uint32_t colour;  // RGB565 in the low half
};

template <class EmiterT, class ParticleT, class DataT, const char* kLabel>
class ParticlePool {
 public:
  static constexpr uint32_t kParticleSlots = 3000;
  static constexpr uint32_t kEmiterSlots = 50;

  ParticlePool();
  ~ParticlePool();
  ParticlePool(const ParticlePool&) = delete;
  ParticlePool& operator=(const ParticlePool&) = delete;

  // Claims the first free emitter slot and the best-fitting free block of count
  // slots: the smallest free block that holds count, the lowest head among equals.
  // Sets count, data and particles and nulls velocities and both behaviours; the
  // position, radius and the block's records keep what they held. Null when every
  // slot is taken, when count is 0, or when no free block is large enough; in each
  // case nothing in the pool changes.
  EmiterT* AllocateEmiter(unsigned count);

  // Frees the emitter's velocities (delete[]), frees its block, merging it with the
  // free block right after it if there is one, and frees its slot. The position,
  // radius and visible flag keep their values. Null or an emitter not in use is ignored.
  void ReleaseEmiter(EmiterT* emiter);

  // Writes the block map to the log, one line per block in walking order, plus an
  // error line for every used flag found inside a block. Changes nothing.
  void LogAllocation() const;

  // The next head after head h, or kParticleSlots when the walk ends there. A length
  // of 0 or one running past the end (only from a corrupted map) also ends the walk,
  // so no walk can loop forever or leave the arrays.
  uint32_t NextHead(uint32_t h) const {
    const uint32_t size = blockSize[h];
    return (size == 0 || size > kParticleSlots - h) ? kParticleSlots : h + size;
  }

  // Laid out in this order, all inside the pool object.
  DataT particleData[kParticleSlots];
  ParticleT particles[kParticleSlots];
  uint8_t blockUsed[kParticleSlots];   // at a head: 1 used, 0 free; else 0
  uint32_t blockSize[kParticleSlots];  // at a head: block length in slots
  EmiterT emiters[kEmiterSlots];
  uint8_t emiterUsed[kEmiterSlots];       // 1 allocated, 0 free
  EmiterT* visibleEmiters[kEmiterSlots];  // this frame's listed emitters
  uint32_t visibleCount;                  // valid entries of visibleEmiters
  // The stamps of this frame's visible particles in drawing order (the listed emitters in
  // list order, each block in order), as the pass found them: the plot reads these
  // few words a stamp rather than the particles' records.
  ScreenStamp stamps[kParticleSlots];
  uint32_t stampCount;
};

template <class EmiterT, class ParticleT, class DataT, const char* kLabel>
ParticlePool<EmiterT, ParticleT, DataT, kLabel>::ParticlePool() {
  char line[256];
  std::snprintf(line, sizeof line, "%s Pool Initialization...", kLabel);
  LogSystemOut(line);

  // Value-initialising a record zeroes every field (null pointers, 0 times, 0 raw).
  for (auto& d : particleData) d = DataT{};
  for (auto& p : particles) p = ParticleT{};
  for (auto& e : emiters) e = EmiterT{};
  for (uint32_t i = 0; i < kParticleSlots; ++i) {
    blockUsed[i] = 0;
    blockSize[i] = 0xFFFFFFFFu;
  }
  for (uint32_t e = 0; e < kEmiterSlots; ++e) {
    emiterUsed[e] = 0;
    visibleEmiters[e] = nullptr;
  }
  visibleCount = 0;
  for (auto& s : stamps) s = ScreenStamp{};
  stampCount = 0;
  blockSize[0] = kParticleSlots;  // one free block holding every slot
  for (uint32_t i = 0; i < kParticleSlots; ++i) particles[i].data = &particleData[i];

  std::snprintf(line, sizeof line, "%s Pool Initialized!", kLabel);
  LogSystemOut(line);
}

template <class EmiterT, class ParticleT, class DataT, const char* kLabel>
ParticlePool<EmiterT, ParticleT, DataT, kLabel>::~ParticlePool() {
  // Emitters still allocated are not released here: their owners give them back.
  char line[256];
  std::snprintf(line, sizeof line, "%s Pool Destruction...", kLabel);
  LogSystemOut(line);
  std::snprintf(line, sizeof line, "%s Pool Destroyed!", kLabel);
  LogSystemOut(line);
}

template <class EmiterT, class ParticleT, class DataT, const char* kLabel>
EmiterT* ParticlePool<EmiterT, ParticleT, DataT, kLabel>::AllocateEmiter(unsigned count) {
  // A block of length 0 would stop every later walk from advancing.
  if (count == 0) return nullptr;

  uint32_t e = 0;
  while (e < kEmiterSlots && emiterUsed[e] != 0) ++e;
  if (e == kEmiterSlots) return nullptr;
  EmiterT& emiter = emiters[e];
  emiterUsed[e] = 1;
  emiter.count = count;

  uint32_t best = kParticleSlots;
  for (uint32_t h = 0; h < kParticleSlots; h = NextHead(h)) {
    // A length running past the end (a corrupted map) is never a candidate.
    if (blockUsed[h] == 0 && blockSize[h] >= count && blockSize[h] <= kParticleSlots - h &&
        (best == kParticleSlots || blockSize[h] < blockSize[best])) {
      best = h;
    }
  }
  if (best == kParticleSlots) {
    // No free block is large enough: hand the slot back, the map was not touched.
    emiterUsed[e] = 0;
    emiter.count = 0;
    return nullptr;
  }

  const uint32_t size = blockSize[best];
  blockUsed[best] = 1;
  blockSize[best] = count;
  if (count < size) blockSize[best + count] = size - count;  // its flag is already 0

  emiter.data = &particleData[best];
  emiter.particles = &particles[best];
  emiter.velocities = nullptr;
  emiter.particleFunc = nullptr;
  emiter.emiterFunc = nullptr;
  return &emiter;
}

template <class EmiterT, class ParticleT, class DataT, const char* kLabel>
void ParticlePool<EmiterT, ParticleT, DataT, kLabel>::ReleaseEmiter(EmiterT* emiter) {
  // A scene that got a null emitter hands the null back at shutdown; a second
  // release would find no block to free. Both leave the pool as it is.
  if (emiter == nullptr) return;
  const auto e = static_cast<uint32_t>(emiter - emiters);
  if (emiterUsed[e] == 0) return;

  delete[] emiter->velocities;
  const auto b = static_cast<uint32_t>(emiter->particles - particles);
  const uint32_t size = blockSize[b];
  const uint32_t next = b + size;
  emiterUsed[e] = 0;
  blockUsed[b] = 0;
  if (next < kParticleSlots && blockUsed[next] == 0) blockSize[b] = size + blockSize[next];

  emiter->velocities = nullptr;
  emiter->count = 0;
  emiter->particles = nullptr;
  emiter->data = nullptr;
  emiter->particleFunc = nullptr;
  emiter->emiterFunc = nullptr;
}

template <class EmiterT, class ParticleT, class DataT, const char* kLabel>
void ParticlePool<EmiterT, ParticleT, DataT, kLabel>::LogAllocation() const {
  char line[256];
  LogSystemOut("< Particles System LOG START >");
  LogSystemOut("< Particles Allocation LOG >");
  for (uint32_t h = 0; h < kParticleSlots; h = NextHead(h)) {
    std::snprintf(line, sizeof line, "Bloc : %d, Size : %d, Used : %d", static_cast<int>(h),
                  static_cast<int>(blockSize[h]), static_cast<int>(blockUsed[h]));
    LogSystemOut(line);
    const uint32_t end = NextHead(h);
    for (uint32_t j = h + 1; j < end; ++j) {
      if (blockUsed[j] == 1) {
        std::snprintf(line, sizeof line, "Particles Allocation Error : Bloc corrupted at index %d",
                      static_cast<int>(j));
        LogSystemOut(line);
      }
    }
  }
  LogSystemOut("< Particles System LOG END >");
}

// Gives an allocated emitter its array of count + 1 velocities, which it owns and
// ReleaseEmiter frees: entry 0, the emitter's own state that its behaviour reads, starts
// as start; particle k moves by entry count - k. The other entries start at zero (each
// particle sets its own at birth, before it reads it).
template <class EmiterT, class Velocity = std::remove_pointer_t<decltype(EmiterT::velocities)>>
void BindVelocities(EmiterT& emiter, const Velocity& start) {
  const uint32_t count = emiter.count;
  Velocity* const velocities = new Velocity[count + 1]();
  emiter.velocities = velocities;
  for (uint32_t k = 0; k < count; ++k) emiter.particles[k].velocity = &velocities[count - k];
  velocities[0] = start;
}

// Calls draw(d) on the data record of every visible particle of the listed emitters,
// in list order and block order: the order the plots stamp them in, so later stamps
// cover earlier ones.
template <class Pool, class Draw>
void ForEachVisibleParticle(const Pool& pool, Draw&& draw) {
  for (uint32_t i = 0; i < pool.visibleCount; ++i) {
    const auto* const data = pool.visibleEmiters[i]->data;
    const uint32_t count = pool.visibleEmiters[i]->count;
    for (uint32_t k = 0; k < count; ++k) {
      if (data[k].visible != 0) draw(data[k]);
    }
  }
}

// Verifies every invariant listed at the top of this file. Returns an empty string
// when the pool is sound, else a description of the first fault found. For tests
// and debugging; it allocates, so it never runs in the frame loop.
template <class Pool>
std::string CheckBlockMap(const Pool& pool) {
  constexpr uint32_t kSlots = Pool::kParticleSlots;
  auto fault = [](const char* what, uint32_t index) {
    return std::string(what) + " at index " + std::to_string(index);
  };
  bool isHead[kSlots] = {};
  uint32_t usedBlocks = 0;
  uint32_t h = 0;
  while (h < kSlots) {
    const uint32_t size = pool.blockSize[h];
    if (size == 0) return fault("block of length 0", h);
    if (size > kSlots - h) return fault("block runs past the last slot", h);
    if (pool.blockUsed[h] > 1) return fault("used flag neither 0 nor 1", h);
    isHead[h] = true;
    usedBlocks += pool.blockUsed[h];
    h += size;
  }
  for (uint32_t i = 0; i < kSlots; ++i) {
    if (!isHead[i] && pool.blockUsed[i] != 0) return fault("used flag inside a block", i);
    if (pool.particles[i].data != &pool.particleData[i])
      return fault("particle data link broken", i);
  }
  uint32_t usedEmiters = 0;
  bool owned[kSlots] = {};
  for (uint32_t e = 0; e < Pool::kEmiterSlots; ++e) {
    if (pool.emiterUsed[e] > 1) return fault("emitter flag neither 0 nor 1", e);
    if (pool.emiterUsed[e] == 0) continue;
    ++usedEmiters;
    const auto& em = pool.emiters[e];
    const std::less<const void*> before;
    if (before(em.particles, pool.particles) || !before(em.particles, pool.particles + kSlots)) {
      return fault("emitter's particles outside the pool", e);
    }
    const auto b = static_cast<uint32_t>(em.particles - pool.particles);
    if (!isHead[b] || pool.blockUsed[b] != 1) return fault("emitter's block is not a used head", e);
    if (owned[b]) return fault("block owned by two emitters", b);
    owned[b] = true;
    if (em.data != &pool.particleData[b]) return fault("emitter's data is not its block's", e);
    if (em.count != pool.blockSize[b]) return fault("emitter's count differs from its block", e);
  }
  if (usedEmiters != usedBlocks) {
    return "used blocks: " + std::to_string(usedBlocks) +
           ", emitters in use: " + std::to_string(usedEmiters);
  }
  if (pool.visibleCount > Pool::kEmiterSlots)
    return fault("visible list too long", pool.visibleCount);
  return std::string();
}

}  // namespace particles
