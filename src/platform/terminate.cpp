#include "platform/terminate.h"

#include "particles/pools.h"
#include "platform/hardware.h"
#include "platform/log.h"
#include "platform/os_seam.h"

namespace {
void (*g_sdlQuit)() = nullptr;
}  // namespace

void SetSdlQuit(void (*sdlQuit)()) { g_sdlQuit = sdlQuit; }

void TerminateLog() {
  LogSystemOut("Terminate !");
  particles::ReportAndDestroyPools();
  LogSystemEnd();  // nothing is logged after this
}

void Terminate() {
  TerminateLog();
  if (g_sdlQuit != nullptr) g_sdlQuit();  // closes the joystick and the screen too
  mmuunhack();
  mmsp2_regs_deinit();  // safe when start-up never mapped the block
  Os().chdir("/usr/gp2x");
  Os().execl("/usr/gp2x/gp2xmenu", "/usr/gp2x/gp2xmenu");
  // Only reached when the menu cannot start: the exit goes on with its status.
}
