// scene2d.h: the 2D scene's twelve emitters, taken from the 2D pool at start-up: ten
// fountains at random spots, the fire at the bottom and the comet in the middle.
#pragma once

#include "particles/pools.h"

// Indexes 0-9 the fountains, 10 the fire, 11 the comet.
constexpr int kScene2DEmiters = 12;

// Takes the scene's emitters from the pool and sets them up with their behaviours
// and velocity arrays; the first twenty draws of particles::Rand() place the
// fountains. An emitter the pool cannot give stays null in emiters2D (a null is
// safe to hand back to ReleaseEmiter).
void CreateScene2D(particles::Pool2D& pool, particles::Emiter* (&emiters2D)[kScene2DEmiters]);
