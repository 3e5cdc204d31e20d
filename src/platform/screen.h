// screen.h: what the frame is handed: a 16-bit screen it fills, locks, draws into
// through a pixel pointer and pitch, and flips; and a queue of SDL_Event values.
#pragma once

#include <cstdint>

union SDL_Event;

// The locked screen's pixel memory: RGB565 words, rows `pitch` bytes apart.
struct PixelBuffer {
  uint16_t* pixels;
  int pitch;  // bytes from one row to the next (640 for the 320x240x16 surface)
};

constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 240;

// The video surface as the frame uses it. The demo's is SDL's 320x240x16
// surface; the capture tool and the tests use an in-memory one.
class Screen {
 public:
  virtual ~Screen() = default;
  // Fills the whole surface; a 16-bit surface keeps the low 16 bits of value.
  virtual void Fill(uint32_t value) = 0;
  virtual PixelBuffer Lock() = 0;
  virtual void Unlock() = 0;
  virtual void Flip() = 0;
};

// The event queue drained at the top of every frame.
class EventSource {
 public:
  virtual ~EventSource() = default;
  // Takes the next pending event into *event; false when the queue is empty.
  virtual bool Poll(SDL_Event* event) = 0;
};
