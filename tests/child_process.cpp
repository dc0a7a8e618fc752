#include "tests/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace tests {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& cwd,
                           const std::vector<std::string>& env, const std::string& out,
                           const std::string& err) {
  std::map<std::string, std::string> vars;
  for (char** e = environ; *e; ++e) {
    std::string s = *e;
    auto eq = s.find('=');
    if (eq != std::string::npos) vars[s.substr(0, eq)] = s.substr(eq + 1);
  }
  for (const std::string& s : env) {
    auto eq = s.find('=');
    if (eq == std::string::npos)
      vars.erase(s);
    else
      vars[s.substr(0, eq)] = s.substr(eq + 1);
  }
  std::vector<std::string> envStrings;
  for (auto& [k, v] : vars) envStrings.push_back(k + "=" + v);
  std::vector<char*> envp, args;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> argCopy = argv;
  for (auto& s : argCopy) args.push_back(s.data());
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  int rc = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(rc));
}

ChildProcess::~ChildProcess() {
  if (Running()) {
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
}

bool ChildProcess::Running() {
  if (status_ >= 0 || pid_ <= 0) return false;
  int status = 0;
  pid_t r = waitpid(pid_, &status, WNOHANG);
  if (r == 0) return true;
  if (r == pid_) status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return false;
}

bool ChildProcess::Wait(std::chrono::milliseconds limit) {
  return PollUntil([this] { return !Running(); }, limit);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string RunAndRead(const std::vector<std::string>& argv, bool& ok,
                       std::chrono::milliseconds limit) {
  char outName[] = "/tmp/child_outXXXXXX";
  int fd = mkstemp(outName);
  if (fd >= 0) close(fd);
  std::string text;
  {
    ChildProcess child(argv, "", {}, outName, "/dev/null");
    ok = child.Wait(limit) && child.ExitCode() == 0;
    text = ReadFile(outName);
  }
  unlink(outName);
  return text;
}

}  // namespace tests
