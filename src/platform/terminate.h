// terminate.h: the exit handler: the closing log lines and pool reports, SDL's
// shutdown, undoing the console set-up and handing the process to the menu program.
#pragma once

// "Terminate !", each pool's report and destruction (2D first), the log closed.
// The capture tool runs this part alone.
void TerminateLog();

// All of it, in order: TerminateLog, SDL shut down, module removed, registers
// unmapped, then the menu program from /usr/gp2x replaces the process. If that
// fails it returns and the process ends with the status it was exiting with.
void Terminate();

// How Terminate shuts SDL down; the shell sets it (SDL_Quit), so this library
// itself never links SDL. Null: nothing to shut down.
void SetSdlQuit(void (*sdlQuit)());
