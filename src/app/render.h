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

// Draw the stamps the pass left in the pool (pool.h), in order, so later stamps cover
// earlier ones: the 2D pool's in list order and block order; the 3D pool's in list
// order, farthest emitter first, so nearer ones cover farther ones, after the 2D plot,
// so 3D stamps cover 2D ones (projection.h says where they land). The screen must be
// locked.
void Plot2DParticles(const particles::Pool2D& pool, PixelBuffer buffer);
void Plot3DParticles(const particles::Pool3D& pool, PixelBuffer buffer);
