// hardware.h: the console's own set-up: the mmuhack kernel module and the SoC's
// 64 KiB register block mapped from /dev/mem, with its register accessors.
#pragma once

#include <cstdint>

// Base of the mapped register block (byte address); null while it is not mapped.
extern uint8_t* mem_regs;

// Reloads the mmuhack module ("/sbin/rmmod mmuhack", then "/sbin/insmod mmuhack.o"
// from the working directory); 1 when its device node /dev/mmuhack opens, else 0.
int mmuhack();
// Removes the module again; harmless when it is not loaded.
void mmuunhack();

// Maps the 0x10000-byte register block at physical 0xC0000000 through /dev/mem;
// 1 when mapped. A failed open leaves mem_regs as it was; a failed mapping nulls it.
int mmsp2_regs_init();
// Unmaps the block if it is mapped; mem_regs is null afterwards.
void mmsp2_regs_deinit();

// The 16- or 32-bit register at a byte offset of the block (the same address for
// both widths). Every access through them is one load or store of that width.
volatile uint16_t* memreg16(int offset);
volatile uint32_t* memreg32(int offset);

// RAM timing tweak: needs the block mapped. Polls until the controller is done;
// there is no time-out. The demo does not call it.
void ramhack();

// Gamma hook: does nothing on this console. The demo does not call it.
void GP2XSetGamma(int gamma);
