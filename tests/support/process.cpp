#include "support/process.h"

#include "support/support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>

namespace {

long long NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st{};
  return lstat(path.c_str(), &st) == 0;
}

ProcessResult RunProcess(const ProcessRequest& request) {
  char outTemplate[] = "/tmp/particles-out-XXXXXX";
  char errTemplate[] = "/tmp/particles-err-XXXXXX";
  const int outFd = mkstemp(outTemplate);
  const int errFd = mkstemp(errTemplate);
  ProcessResult result;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(outFd, STDOUT_FILENO);
    dup2(errFd, STDERR_FILENO);
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, STDIN_FILENO);
    if (request.stdoutFd >= 0) dup2(request.stdoutFd, STDOUT_FILENO);
    for (const int fd : request.closedFds) close(fd);
    if (!request.cwd.empty() && chdir(request.cwd.c_str()) != 0) _exit(126);
    for (const auto& [name, value] : request.env) setenv(name.c_str(), value.c_str(), 1);
    // A test run from a background job inherits SIGINT ignored, and SDL then leaves it
    // ignored: the interrupt the request sends must reach the program as a user's would.
    signal(SIGINT, SIG_DFL);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(request.path.c_str()));
    for (const std::string& a : request.args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(request.path.c_str(), argv.data());
    _exit(127);
  }
  const long long start = NowMs();
  bool interrupted = false;
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    const long long elapsed = NowMs() - start;
    if (!interrupted && request.interruptAfterMs >= 0 && elapsed >= request.interruptAfterMs) {
      kill(pid, SIGINT);
      interrupted = true;
    }
    if (elapsed >= request.killAfterMs) kill(pid, SIGKILL);
    usleep(5000);
  }
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  close(outFd);
  close(errFd);
  result.out = support::ReadFile(outTemplate);
  result.err = support::ReadFile(errTemplate);
  unlink(outTemplate);
  unlink(errTemplate);
  return result;
}
