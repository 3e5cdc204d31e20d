// fps.h: the frame-rate counter: about once a second a smoothed frames-per-second
// figure goes to the window caption ("PARTICLE : %d FPS") and to the log.
#pragma once

// Called once per frame, after the flip, with the frame time in milliseconds.
void UpdateFPS(unsigned dt);

// Where the caption text goes; the SDL shell points it at the window caption.
// Null (the default) shows it nowhere; the log line is written either way.
using CaptionSink = void (*)(const char* title);
void SetCaptionSink(CaptionSink sink);

// Puts the counter back to its start state (20 shown, empty window), as at
// program start. For processes that run the frame loop more than once (tests).
void ResetFPS();
