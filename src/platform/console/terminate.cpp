#include "platform/console/terminate.h"

#include "platform/console/hardware.h"
#include "platform/console/os_seam.h"
#include "platform/log.h"

namespace {
ExitSteps g_steps{};
}  // namespace

void SetExitSteps(const ExitSteps& steps) { g_steps = steps; }

void TerminateLog() {
  LogSystemOut("Terminate !");
  if (g_steps.report != nullptr) g_steps.report();
  LogSystemEnd();  // nothing is logged after this
}

void Terminate() {
  TerminateLog();
  if (g_steps.sdlQuit != nullptr) g_steps.sdlQuit();
  mmuunhack();
  mmsp2_regs_deinit();  // safe when start-up never mapped the block
  Os().chdir("/usr/gp2x");
  Os().execl("/usr/gp2x/gp2xmenu", "/usr/gp2x/gp2xmenu");
  // Only reached when the menu cannot start: the exit goes on with its status.
}
