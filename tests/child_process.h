// Runs a program as a child process for the end-to-end tests: its output goes to files, and
// waiting has a deadline, after which the child is killed.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tests {

class ChildProcess {
 public:
  /// Starts `argv` (argv[0] a path, or a name looked up on PATH) in folder `cwd` with the
  /// environment of this process changed by `env` ("NAME=value" sets, "NAME" removes).
  /// Standard output and error go to the files `out` and `err`. Throws when it cannot start.
  ChildProcess(const std::vector<std::string>& argv, const std::string& cwd,
               const std::vector<std::string>& env, const std::string& out,
               const std::string& err);
  /// Kills the child if it still runs.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  /// Waits until the child ends or `limit` has passed. True when it ended by itself; then
  /// ExitCode() is its status (128 + signal when a signal ended it).
  bool Wait(std::chrono::milliseconds limit);
  int ExitCode() const { return status_; }
  bool Running();
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int status_ = -1;
};

/// Runs `argv` to its end (at most `limit`) and returns its standard output; `ok` tells
/// whether it ended in time with status 0.
std::string RunAndRead(const std::vector<std::string>& argv, bool& ok,
                       std::chrono::milliseconds limit = std::chrono::seconds(20));

/// The whole contents of a file ("" when it cannot be read).
std::string ReadFile(const std::string& path);

/// Polls `condition` every 20 ms until it holds or `limit` passes; returns its last answer.
template <class F>
bool PollUntil(F condition, std::chrono::milliseconds limit);

}  // namespace tests

#include <thread>

template <class F>
bool tests::PollUntil(F condition, std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return condition();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}
