#include "app/views.h"

#include "fixedpoint/wrap.h"

void InitViews(Views& views, uint32_t startTicks) {
  views.camera = particles::Camera2D{0, 0, particles::fixed::from_raw(655360)};  // 10.0
  views.panFrom = WorldPoint{10, 10};
  views.panTo = WorldPoint{10, 10};
  views.sensZ = 1;
  views.nextMoveTime = startTicks;
}

void UpdateViews(Views& views, unsigned now, unsigned dt) {
  // Due once now has reached nextMoveTime, read through the difference so that the
  // tick counter crossing 2^31 cannot make every frame of a leg look due.
  if (static_cast<int32_t>(now - views.nextMoveTime) >= 0) {
    views.panFrom = views.panTo;
    views.panTo = WorldPoint{3200 - views.panTo.x, 2400 - views.panTo.y};
    RetargetCamera3D(views.camera3D);  // before nextMoveTime advances
    views.nextMoveTime = now + kViewLegMs;  // one leg only, however late the frame
  }
  const uint32_t remaining = views.nextMoveTime - now;  // 1..4000

  using fixedpoint::add32;
  using fixedpoint::mul32;
  const auto from = static_cast<int32_t>(remaining);
  const auto to = static_cast<int32_t>(kViewLegMs - remaining);
  constexpr auto kLeg = static_cast<int32_t>(kViewLegMs);
  views.camera.x = add32(mul32(from, views.panFrom.x), mul32(to, views.panTo.x)) / kLeg;
  views.camera.y = add32(mul32(from, views.panFrom.y), mul32(to, views.panTo.y)) / kLeg;

  // 1.0 of zoom per 256 ms of frame time.
  int32_t zoom =
      add32(views.camera.zoom.raw(), mul32(mul32(views.sensZ, static_cast<int32_t>(dt)), 256));
  // A long frame while falling (over 1280 ms near 5.0) would reach zero or below and
  // the pass would divide by it: restart the swing at its lower turn instead.
  if (zoom <= 0) zoom = 0x50000;                                   // 5.0
  if (static_cast<uint32_t>(zoom) >= 0x140000u) views.sensZ = -1;  // 20.0
  if (static_cast<uint32_t>(zoom) <= 0x50000u) views.sensZ = 1;    // 5.0
  views.camera.zoom = particles::fixed::from_raw(zoom);

  UpdateCamera3D(views.camera3D, remaining);  // the frame's view and viewProj
}
