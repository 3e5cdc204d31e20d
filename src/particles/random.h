// random.h: the one source of randomness for the simulation (scenes, camera, behaviours).
// A fixed, unseeded sequence so every run (and every platform) plays the same frames.
#pragma once

namespace particles {

// The next value of the sequence, 0..2147483647: the C library's default
// unseeded rand() sequence of the console (additive feedback, degree 31),
// reproduced here so that every platform, the browser included, draws the
// same numbers.
int Rand();

// Restarts the sequence from its first value, as at program start.
void ResetRandom();

// Test seam: while set, Rand() returns source() instead. Pass nullptr to restore.
using RandSource = int (*)();
void SetRandSource(RandSource source);

}  // namespace particles
