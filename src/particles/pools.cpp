#include "particles/pools.h"

namespace particles {

template class ParticlePool<Emiter, Particle, ParticleData, kPool2DLabel>;
template class ParticlePool<Emiter3D, Particle3D, Particle3DData, kPool3DLabel>;

Pool2D* g_2DPool = nullptr;
Pool3D* g_3DPool = nullptr;

void CreatePools() {
  g_2DPool = new Pool2D();
  g_3DPool = new Pool3D();
}

void ReportAndDestroyPools() {
  // The pointers are cleared so that nothing can reach a destroyed pool.
  if (g_2DPool != nullptr) {
    g_2DPool->LogAllocation();
    delete g_2DPool;
    g_2DPool = nullptr;
  }
  if (g_3DPool != nullptr) {
    g_3DPool->LogAllocation();
    delete g_3DPool;
    g_3DPool = nullptr;
  }
}

}  // namespace particles
