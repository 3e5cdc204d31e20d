#include "platform/console/os_seam.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>

static_assert(sizeof(off_t) >= 8, "the register block's offset needs a 64-bit off_t");

namespace {

int RealSystem(const char* command) { return std::system(command); }
int RealOpen(const char* path, int flags) { return ::open(path, flags); }
int RealClose(int fd) { return ::close(fd); }
void* RealMmap(void* addr, size_t length, int prot, int flags, int fd, int64_t offset) {
  return ::mmap(addr, length, prot, flags, fd, static_cast<off_t>(offset));
}
int RealMunmap(void* addr, size_t length) { return ::munmap(addr, length); }
int RealChdir(const char* path) { return ::chdir(path); }
int RealExecl(const char* path, const char* arg0) {
  return ::execl(path, arg0, static_cast<char*>(nullptr));
}

OsCalls g_os = RealOsCalls();

}  // namespace

OsCalls RealOsCalls() {
  return OsCalls{RealSystem, RealOpen, RealClose, RealMmap, RealMunmap, RealChdir, RealExecl};
}

OsCalls& Os() { return g_os; }
