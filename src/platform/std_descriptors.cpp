#include "platform/std_descriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

void OpenMissingStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number comes back, which is fd once the ones below are open.
    // Without a /dev/null there is nothing to fill the gap with: it stays closed.
    const int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0 && devNull != fd) {
      dup2(devNull, fd);
      close(devNull);
    }
  }
}
