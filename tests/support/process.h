// process.h: runs a built executable as a user would, in a chosen working
// directory with extra environment, optionally interrupting it, and collects the result.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct ProcessResult {
  int exitStatus = -1;  // the exit status, or -1 if the process died of a signal
  int signal = 0;       // the signal that ended it, if any
  std::string out;      // standard output
  std::string err;      // standard error
};

struct ProcessRequest {
  std::string path;
  std::vector<std::string> args;
  std::string cwd;
  std::vector<std::pair<std::string, std::string>> env;  // set in the child
  int interruptAfterMs = -1;  // >= 0: send SIGINT after this many milliseconds
  int killAfterMs = 60000;    // a hung process is killed and reported as such
  int stdoutFd = -1;          // >= 0: the child's standard output instead of a captured one
  std::vector<int> closedFds;  // closed in the child before it starts (0, 1, 2: not open)
};

ProcessResult RunProcess(const ProcessRequest& request);

bool FileExists(const std::string& path);
