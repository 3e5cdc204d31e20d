// Catches console set-up and exit steps that run out of order, leave the register
// pointer wrong after a failure, unmap what was never mapped, or merge or drop register
// accesses. console_e2e.sh runs the real demo on a simulated console.
#include <fcntl.h>
#include <sys/mman.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/console/hardware.h"
#include "platform/console/os_seam.h"
#include "platform/console/terminate.h"
#include "platform/log.h"
#include "support/support.h"

namespace {

using Calls = std::vector<std::string>;

// A console stand-in: records every call; each piece can be made to fail.
struct FakeConsole {
  Calls calls;
  bool moduleNode = true, memNode = true, mapWorks = true;
  alignas(4096) uint8_t block[0x10000] = {};  // page-aligned, as a real mapping is
};
FakeConsole* g_fake = nullptr;
int Record(const std::string& call, int result = 0) { return g_fake->calls.push_back(call), result; }

const OsCalls kFakeOs{
    [](const char* c) { return Record(std::string("system ") + c); },
    [](const char* p, int flags) {
      const std::string path = p;
      const bool there = path == "/dev/mmuhack" ? g_fake->moduleNode : path == "/dev/mem" && g_fake->memNode;
      return Record("open " + path + (flags == O_RDWR ? " rw" : " ?"), there ? 7 : -1);
    },
    [](int fd) { return Record("close " + std::to_string(fd)); },
    [](void*, size_t len, int prot, int flags, int fd, int64_t off) -> void* {
      Record("mmap " + std::to_string(len) + " " + std::to_string(prot) + " " + std::to_string(flags) + " " +
             std::to_string(fd) + " " + std::to_string(off));
      return g_fake->mapWorks ? g_fake->block : MAP_FAILED;
    },
    [](void* addr, size_t len) {
      return Record((addr == g_fake->block ? "munmap " : "munmap ? ") + std::to_string(len));
    },
    [](const char* p) { return Record(std::string("chdir ") + p); },
    [](const char* p, const char* a0) { return Record(std::string("execl ") + p + " " + a0, -1); },  // no menu
};
void FakeSdlQuit() { Record("SDL_Quit"); }

struct Console : ::testing::Test {
  FakeConsole fake;
  Console() { g_fake = &fake, Os() = kFakeOs, mem_regs = nullptr; }
  ~Console() override { Os() = RealOsCalls(), mem_regs = nullptr, SetExitSteps({}), g_fake = nullptr; }
  Calls Take() { return std::exchange(fake.calls, {}); }
};

// 64 KiB, read and write, shared, at physical 0xC0000000.
const char kMap[] = "mmap 65536 3 1 7 3221225472";

TEST_F(Console, SetUpUndoAndFailures) {
  for (const bool node : {true, false}) {  // the module is removed first; its node decides
    fake.moduleNode = node;
    EXPECT_EQ(mmuhack(), node ? 1 : 0);
    Calls want{"system /sbin/rmmod mmuhack", "system /sbin/insmod mmuhack.o", "open /dev/mmuhack rw"};
    if (node) want.push_back("close 7");
    EXPECT_EQ(Take(), want);
  }
  EXPECT_EQ(mmsp2_regs_init(), 1);
  EXPECT_EQ(Take(), (Calls{"open /dev/mem rw", kMap, "close 7"}));
  EXPECT_EQ(reinterpret_cast<volatile uint8_t*>(memreg16(0x3804)), fake.block + 0x3804);
  EXPECT_EQ(static_cast<volatile void*>(memreg16(0x3804)), static_cast<volatile void*>(memreg32(0x3804)));
  mmsp2_regs_deinit();
  mmsp2_regs_deinit();
  EXPECT_EQ(Take(), (Calls{"munmap 65536"})) << "unmapped once";
  // A failed open leaves the pointer as it was; a failed mapping clears it and closes.
  uint8_t marker = 0;
  mem_regs = &marker;
  fake.memNode = false;
  EXPECT_EQ(mmsp2_regs_init(), 0);
  EXPECT_EQ(mem_regs, &marker);
  fake.memNode = true, fake.mapWorks = false;
  Take();
  EXPECT_EQ(mmsp2_regs_init(), 0);
  EXPECT_EQ(mem_regs, nullptr);
  EXPECT_EQ(Take(), (Calls{"open /dev/mem rw", kMap, "close 7"}));
  mmuunhack();
  EXPECT_EQ(Take(), (Calls{"system /sbin/rmmod mmuhack"}));
}

TEST_F(Console, RamTweakKeepsBits12To14AndWaitsForTheController) {
  ASSERT_EQ(mmsp2_regs_init(), 1);
  volatile uint16_t *control = memreg16(0x3802), *timing = memreg16(0x3804);
  *control = 0xFFFF;
  *timing = 0x5ACF;  // bits 12-14 = 101, everything the tweak replaces set
  std::atomic<bool> cleared{false};
  uint16_t seen[2] = {};  // control, timing
  std::thread controller([&] {  // the memory controller: clears bit 15 a little after the write
    while ((*timing & 0x8000) == 0) std::this_thread::yield();
    seen[0] = *control, seen[1] = *timing;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    cleared = true;
    *timing = static_cast<uint16_t>(*timing & 0x7FFF);
  });
  ramhack();
  const bool returnedAfterClear = cleared;
  controller.join();
  EXPECT_TRUE(returnedAfterClear) << "returned before bit 15 read 0";
  EXPECT_EQ(seen[0], 0x0011) << "0x3802 is written before 0x3804";
  EXPECT_EQ(seen[1], (0x5ACF & 0x7000) | 0x8530);
}

// After a start-up that stopped before the console set-up, and after a normal run.
TEST_F(Console, ExitHandlerRunsItsStepsInOrder) {
  const std::string chdir = "chdir /usr/gp2x", menu = "execl /usr/gp2x/gp2xmenu /usr/gp2x/gp2xmenu";
  Terminate();
  EXPECT_EQ(Take(), (Calls{"system /sbin/rmmod mmuhack", chdir, menu}));
  support::LogCapture log;
  SetExitSteps({nullptr, &FakeSdlQuit});
  ASSERT_EQ(mmsp2_regs_init(), 1);
  Take();
  Terminate();
  EXPECT_EQ(Take(), (Calls{"SDL_Quit", "system /sbin/rmmod mmuhack", "munmap 65536", chdir, menu}));
  EXPECT_EQ(g_pFile, nullptr) << "the log is closed before SDL and the console are undone";
}

}  // namespace
