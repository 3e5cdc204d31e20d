// Catches console set-up and exit steps that run out of order, touch the machine when
// they should not, leave the register pointer wrong after a failure, unmap what was
// never mapped, or merge or drop register accesses. console_e2e.sh runs the real demo
// on a simulated console, the end-to-end tests check the exit statuses.
#include <fcntl.h>
#include <sys/mman.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/console/hardware.h"
#include "platform/log.h"
#include "platform/console/os_seam.h"
#include "platform/console/terminate.h"
#include "support/support.h"

namespace {

// A console stand-in: records every call; each piece can be made to fail.
struct FakeConsole {
  std::vector<std::string> calls;
  bool moduleNode = true;  // /dev/mmuhack opens
  bool memNode = true;     // /dev/mem opens
  bool mapWorks = true;
  alignas(4096) uint8_t block[0x10000] = {};  // page-aligned, as a real mapping is
};
FakeConsole* g_fake = nullptr;
int Record(const std::string& call, int result = 0) { return g_fake->calls.push_back(call), result; }

const OsCalls kFakeOs{
    [](const char* c) { return Record(std::string("system ") + c); },
    [](const char* p, int flags) {
      const std::string path = p;
      const int fd = path == "/dev/mmuhack" ? (g_fake->moduleNode ? 7 : -1)
                     : path == "/dev/mem"   ? (g_fake->memNode ? 8 : -1)
                                            : -1;
      return Record("open " + path + (flags == O_RDWR ? " rw" : " ?"), fd);
    },
    [](int fd) { return Record("close " + std::to_string(fd)); },
    [](void*, size_t len, int prot, int flags, int fd, int64_t off) -> void* {
      char text[128];
      std::snprintf(text, sizeof text, "mmap %zx prot %d flags %d fd %d offset %llx", len, prot, flags, fd,
                    static_cast<unsigned long long>(off));
      Record(text);
      return g_fake->mapWorks ? g_fake->block : MAP_FAILED;
    },
    [](void* addr, size_t len) {
      return Record(std::string("munmap ") + (addr == g_fake->block ? "block " : "other ") + std::to_string(len));
    },
    [](const char* p) { return Record(std::string("chdir ") + p); },
    // The menu is not there: the exit goes on.
    [](const char* p, const char* a0) { return Record(std::string("execl ") + p + " " + a0, -1); },
};
void FakeSdlQuit() { Record("SDL_Quit"); }

class Console : public ::testing::Test {
 protected:
  void SetUp() override {
    g_fake = &fake_;
    Os() = kFakeOs;
    mem_regs = nullptr;
  }
  void TearDown() override {
    Os() = RealOsCalls();
    mem_regs = nullptr;
    SetExitSteps({});
    g_fake = nullptr;
  }
  using Calls = std::vector<std::string>;
  FakeConsole fake_;
};

const char kMap[] = "mmap 10000 prot 3 flags 1 fd 8 offset c0000000";

TEST_F(Console, ModuleAndRegisterBlockSetUpUndoAndFailures) {
  // The module is removed before it is loaded, and its node decides.
  for (const bool node : {true, false}) {
    fake_.calls.clear();
    fake_.moduleNode = node;
    EXPECT_EQ(mmuhack(), node ? 1 : 0);
    Calls want{"system /sbin/rmmod mmuhack", "system /sbin/insmod mmuhack.o", "open /dev/mmuhack rw"};
    if (node) want.push_back("close 7");
    EXPECT_EQ(fake_.calls, want);
  }
  // The register block is mapped shared at its physical address, both widths alike.
  fake_.calls.clear();
  EXPECT_EQ(mmsp2_regs_init(), 1);
  EXPECT_EQ(fake_.calls, (Calls{"open /dev/mem rw", kMap, "close 8"}));
  EXPECT_EQ(reinterpret_cast<volatile uint8_t*>(memreg16(0x3804)), fake_.block + 0x3804);
  EXPECT_EQ(static_cast<volatile void*>(memreg16(0x3804)), static_cast<volatile void*>(memreg32(0x3804)));
  fake_.calls.clear();
  mmsp2_regs_deinit();
  mmsp2_regs_deinit();
  EXPECT_EQ(fake_.calls, (Calls{"munmap block 65536"})) << "unmapped once";
  EXPECT_EQ(mem_regs, nullptr);
  // A failed open leaves the pointer as it was; a failed mapping clears it and closes.
  uint8_t marker = 0;
  mem_regs = &marker;
  fake_.memNode = false;
  EXPECT_EQ(mmsp2_regs_init(), 0);
  EXPECT_EQ(mem_regs, &marker);
  fake_.memNode = true;
  fake_.mapWorks = false;
  fake_.calls.clear();
  EXPECT_EQ(mmsp2_regs_init(), 0);
  EXPECT_EQ(mem_regs, nullptr);
  EXPECT_EQ(fake_.calls, (Calls{"open /dev/mem rw", kMap, "close 8"}));
  fake_.calls.clear();
  mmuunhack();
  EXPECT_EQ(fake_.calls, (Calls{"system /sbin/rmmod mmuhack"}));
}

TEST_F(Console, RamTweakKeepsBits12To14AndWaitsForTheController) {
  ASSERT_EQ(mmsp2_regs_init(), 1);
  volatile uint16_t* control = memreg16(0x3802);
  volatile uint16_t* timing = memreg16(0x3804);
  *control = 0xFFFF;
  *timing = 0x5ACF;  // bits 12-14 = 101, everything the tweak replaces set
  std::atomic<bool> cleared{false};
  std::atomic<uint16_t> seenControl{0}, seenTiming{0};
  std::thread controller([&] {
    // Plays the memory controller: once the new timing is written, it finishes a
    // little later by clearing bit 15.
    while ((*timing & 0x8000) == 0) std::this_thread::yield();
    seenControl = *control;
    seenTiming = *timing;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    cleared = true;
    *timing = static_cast<uint16_t>(*timing & 0x7FFF);
  });
  ramhack();
  const bool returnedAfterClear = cleared;
  controller.join();
  EXPECT_TRUE(returnedAfterClear) << "returned before bit 15 read 0";
  EXPECT_EQ(seenControl, 0x0011) << "0x3802 is written before 0x3804";
  EXPECT_EQ(seenTiming, (0x5ACF & 0x7000) | 0x8530);
}

// After a normal run, and after a start-up that stopped before the console set-up.
TEST_F(Console, ExitHandlerRunsItsStepsInOrder) {
  const Calls menu{"chdir /usr/gp2x", "execl /usr/gp2x/gp2xmenu /usr/gp2x/gp2xmenu"};
  Terminate();
  EXPECT_EQ(fake_.calls, (Calls{"system /sbin/rmmod mmuhack", menu[0], menu[1]}));
  support::LogCapture log;
  SetExitSteps({nullptr, &FakeSdlQuit});
  ASSERT_EQ(mmsp2_regs_init(), 1);
  fake_.calls.clear();
  Terminate();
  EXPECT_EQ(fake_.calls, (Calls{"SDL_Quit", "system /sbin/rmmod mmuhack", "munmap block 65536", menu[0], menu[1]}));
  EXPECT_EQ(g_pFile, nullptr) << "the log is closed before SDL and the console are undone";
}

}  // namespace
