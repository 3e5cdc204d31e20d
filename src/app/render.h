// render.h: the frame's drawing: the background clear from the frame counter and the
// 3x3 soft stamps of the particles the passes marked visible.
#pragma once

#include <cstdint>

#include "particles/pools.h"
#include "platform/screen.h"

// Fills the screen with the background of frame `color`, then advances the counter.
// The background brightens one step per field every 256 frames; from 8192 frames on
// the shifted terms overlap and the fill keeps the low 16 bits of their OR.
void ClearScreen(Screen& screen, int32_t& color);

// One 3x3 stamp centred on (px, py): the centre in c, the four side neighbours at
// half and the four corners at a quarter of each channel, written row by row from
// the top left. No clipping: the caller keeps px in 1..318 and py in 1..238.
void PlotStamp(PixelBuffer buffer, int px, int py, uint16_t c);

// Stamps every visible particle of the 2D pool's listed emitters, in list order and
// block order, so later stamps cover earlier ones. The screen must be locked.
void Plot2DParticles(const particles::Pool2D& pool, PixelBuffer buffer);

// Where the 3D plot centres a visible particle: clip x and y of -1.0..1.0 go to
// (x + 1.0) times these half spans plus 1.0, two pixels inside the screen's half.
constexpr int kStampHalfSpanX = kScreenWidth / 2 - 2;   // 158
constexpr int kStampHalfSpanY = kScreenHeight / 2 - 2;  // 118

// Stamps every visible particle of the 3D pool's listed emitters in list order,
// farthest emitter first, so nearer ones cover farther ones. Normalised x and y
// of -1..1 map to columns 1..317 and rows 1..237 (y = -1 at the top); the centre
// lands on (159, 119). Drawn after the 2D plot, so 3D stamps cover 2D ones. A
// particle marked visible must lie in that square, as Update3DEmiters leaves it.
void Plot3DParticles(const particles::Pool3D& pool, PixelBuffer buffer);
