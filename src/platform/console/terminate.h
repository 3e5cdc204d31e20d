// terminate.h: the exit handler: the closing log lines and what the layers above hand
// it to run, then undoing the console set-up and handing the process to the menu program.
#pragma once

// The exit handler's steps that belong to the layers above the platform, handed to it
// at start-up: it knows nothing of pools or of SDL itself. A null step is skipped.
struct ExitSteps {
  void (*report)();   // just before the log closes: the pools' block reports and destruction
  void (*sdlQuit)();  // SDL shut down (closes the joystick and the screen too)
};
void SetExitSteps(const ExitSteps& steps);

// "Terminate !", the report step, the log closed. The capture tool and the web page,
// which have no console, run this part alone.
void TerminateLog();

// All of it, in order: TerminateLog, SDL shut down, module removed, registers
// unmapped, then the menu program from /usr/gp2x replaces the process. If that
// fails it returns and the process ends with the status it was exiting with.
void Terminate();
