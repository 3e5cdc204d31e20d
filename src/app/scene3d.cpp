#include "app/scene3d.h"

#include "fixedpoint/trig.h"
#include "fixedpoint/wrap.h"
#include "particles/behaviours3d.h"
#include "particles/random.h"

namespace {

using fixedpoint::fixed;
using vec3 = vmath::vec3<fixed>;
using vec4 = vmath::vec4<fixed>;
using mat4 = vmath::mat4<fixed>;
using particles::Emiter3D;

constexpr fixed kZero = fixed::from_raw(0);
constexpr fixed kOne = fixed::from_raw(65536);  // 1.0

struct EmiterKind {
  unsigned count;
  fixed radius;
  particles::Particle3DFunc particleFunc;
  particles::Emiter3DFunc emiterFunc;
  void (*init)(Emiter3D*);
};

constexpr fixed kFountainRadius = fixed::from_raw(196608);  // 3.0
constexpr fixed kWideRadius = fixed::from_raw(327680);      // 5.0

Emiter3D* Build(particles::Pool3D& pool, const EmiterKind& kind, const vec4& position) {
  Emiter3D* e = pool.AllocateEmiter(kind.count);
  if (e == nullptr) return nullptr;  // only a used pool runs short; the slot stays null
  e->position = position;
  e->particleFunc = kind.particleFunc;
  e->radius = kind.radius;
  e->emiterFunc = kind.emiterFunc;
  kind.init(e);
  return e;
}

}  // namespace

void CreateScene3D(particles::Pool3D& pool, Emiter3D* (&emiters)[kScene3DEmiters]) {
  const EmiterKind fountain{150, kFountainRadius, &particles::Fontaine3DParticles, nullptr,
                            &particles::Fontaine3DParticlesInit};
  const EmiterKind fire{1000, kWideRadius, &particles::Feu3DParticles, nullptr,
                        &particles::Feu3DParticlesInit};
  const EmiterKind comet{500, kWideRadius, &particles::Comete3DParticles,
                         &particles::Comete3DEmiters, &particles::Comete3DParticlesInit};

  // Two fountains per row, left (x = -1) then right (x = +1), rows at y = 0, 2, .. 8.
  for (int j = 0; j < 5; ++j) {
    const fixed y(2 * j);
    emiters[2 * j] = Build(pool, fountain, vec4{-kOne, y, kZero, kOne});
    emiters[2 * j + 1] = Build(pool, fountain, vec4{kOne, y, kZero, kOne});
  }
  emiters[10] = Build(pool, fire, vec4{kZero, fixed(-2), kZero, kOne});
  emiters[11] = Build(pool, comet, vec4{kZero, fixed(-4), fixed(2), kOne});
}

void BuildProjection(Camera3D& camera) {
  // The constants are the truncated single-precision conversions, kept as they are.
  const fixed aspect = fixed::from_raw(87381);          // 1.3333334 (4:3)
  const fixed zNear = fixed::from_raw(6553);            // 0.1
  const fixed zFar = fixed::from_raw(6553600);          // 100.0
  const fixed fov = fixed::from_raw(3932160);           // 60.0 degrees
  const fixed degree = fixed::from_raw(1143);           // 0.017453292 (pi / 180)
  const fixed angle = fov / fixed::from_raw(131072) * degree;  // half the field, radians
  const fixed sine = fixed::from_raw(fixedpoint::fixsin16(angle.raw()));

  mat4& p = camera.projection;
  p = vmath::identity4<fixed>();
  // A flat depth range, a zero sine or a zero aspect would divide by zero below;
  // the identity stands in. These constants never take this way.
  if ((zFar - zNear).raw() == 0 || sine.raw() == 0 || aspect.raw() == 0) return;

  const fixed cosine = fixed::from_raw(fixedpoint::fixcos16(angle.raw()));
  const fixed cot = cosine / sine;
  const fixed twiceNear = fixed::from_raw(fixedpoint::mul32(-2, zNear.raw()));  // -2 x raw
  p.m[4 * 0 + 0] = cot / aspect;
  p.m[4 * 1 + 1] = cot;
  p.m[4 * 2 + 2] = -(zFar + zNear) / (zFar - zNear);
  p.m[4 * 2 + 3] = (twiceNear * zFar) / (zFar - zNear);
  p.m[4 * 3 + 2] = -kOne;
  p.m[4 * 3 + 3] = kZero;
}

void StartCamera3D(Camera3D& camera) {
  // (0.125, 1.0, 0.5) is 1.125 long; 13 x its unit vector is an exact multiple.
  const vec3 direction{fixed::from_raw(8192), kOne, fixed::from_raw(32768)};  // 0.125, 1.0, 0.5
  camera.eye = vmath::normalize(direction) * fixed(13);
  camera.camFrom = camera.eye;
  camera.camTo = camera.eye;
}

void RetargetCamera3D(Camera3D& camera) {
  camera.camFrom = camera.camTo;
  // Separate statements: the draws must be taken x, then y, then z.
  const int rx = particles::Rand();
  const int ry = particles::Rand();
  const int rz = particles::Rand();
  const vec3 target{fixed((rx & 0x7F) - 64), fixed((ry & 0x7F) - 64), fixed((rz & 0x7F) - 64)};
  // All three draws at 64 give the origin, which normalises to the origin: the
  // next glide then starts on the centre; UpdateCamera3D and the 3D pass absorb it.
  camera.camTo = vmath::normalize(target) * fixed(25);
}

void UpdateCamera3D(Camera3D& camera, unsigned remaining) {
  // 1.0 at the leg's start.
  const fixed t = fixed(static_cast<int>(remaining)) / fixed(static_cast<int>(kViewLegMs));
  camera.eye = camera.camTo * (kOne - t) + camera.camFrom * t;

  // Towards the origin with up = -z. With the eye on the origin the matrix keeps only
  // its w row (look_at says why): every clip w is 0, and the pass draws nothing that frame.
  const vec3 origin{kZero, kZero, kZero};
  const vec3 up{kZero, kZero, -kOne};
  camera.view = vmath::look_at(camera.eye, origin, up);
  camera.viewProj = camera.projection * camera.view;
}
