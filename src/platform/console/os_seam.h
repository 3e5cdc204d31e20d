// os_seam.h: the handful of operating-system calls the console hardware module and
// the exit handler make, behind one table so tests can stand in for the console.
#pragma once

#include <cstddef>
#include <cstdint>

struct OsCalls {
  int (*system)(const char* command);
  int (*open)(const char* path, int flags);
  int (*close)(int fd);
  // offset is 64 bits wide everywhere: the register block sits at 0xC0000000.
  void* (*mmap)(void* addr, size_t length, int prot, int flags, int fd, int64_t offset);
  int (*munmap)(void* addr, size_t length);
  int (*chdir)(const char* path);
  // execl(path, arg0, (char*)nullptr); returns only on failure.
  int (*execl)(const char* path, const char* arg0);
};

// The calls in use: the real ones unless a test has put others in place.
OsCalls& Os();
// The real calls, for a test to restore.
OsCalls RealOsCalls();
