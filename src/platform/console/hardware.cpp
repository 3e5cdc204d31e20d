#include "platform/console/hardware.h"

#include <fcntl.h>
#include <sys/mman.h>

#include "platform/console/os_seam.h"

uint8_t* mem_regs = nullptr;

namespace {
constexpr size_t kRegisterBlockBytes = 0x10000;
constexpr int64_t kRegisterBlockBase = 0xC0000000;  // physical address of the SoC registers
}  // namespace

int mmuhack() {
  // Any copy left loaded by an earlier run goes first; results are not looked at.
  Os().system("/sbin/rmmod mmuhack");
  Os().system("/sbin/insmod mmuhack.o");
  const int fd = Os().open("/dev/mmuhack", O_RDWR);
  if (fd < 0) return 0;
  Os().close(fd);
  return 1;
}

void mmuunhack() { Os().system("/sbin/rmmod mmuhack"); }

int mmsp2_regs_init() {
  const int fd = Os().open("/dev/mem", O_RDWR);
  if (fd < 0) return 0;
  void* block = Os().mmap(nullptr, kRegisterBlockBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd,
                          kRegisterBlockBase);
  Os().close(fd);  // the mapping outlives the descriptor
  if (block == MAP_FAILED) {
    mem_regs = nullptr;
    return 0;
  }
  mem_regs = static_cast<uint8_t*>(block);
  return 1;
}

void mmsp2_regs_deinit() {
  if (mem_regs != nullptr) Os().munmap(mem_regs, kRegisterBlockBytes);
  mem_regs = nullptr;
}

volatile uint16_t* memreg16(int offset) {
  return reinterpret_cast<volatile uint16_t*>(mem_regs + offset);
}

volatile uint32_t* memreg32(int offset) {
  return reinterpret_cast<volatile uint32_t*>(mem_regs + offset);
}

void ramhack() {
  *memreg16(0x3802) = 0x0011;  // fields 1, 1, 0, 0 from the low end
  // One read, one write: bits 12-14 kept, 0-11 and 15 replaced (0x0AC0 | 0x000F
  // cleared, 0x8500 | 0x0030 set).
  const uint16_t timing = *memreg16(0x3804);
  *memreg16(0x3804) = static_cast<uint16_t>((timing & 0x7000) | 0x8530);
  while ((*memreg16(0x3804) & 0x8000) != 0) {
    // the controller clears bit 15 when the new timing is in place
  }
}

void GP2XSetGamma(int) {}
