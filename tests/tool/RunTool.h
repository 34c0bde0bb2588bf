// Runs the built kestrel-tool as scripts do, with a time limit, and collects what it printed.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace kestrel::test {

struct ToolRun {
  bool ended = false;  // false: killed after the time limit
  int status = -1;     // exit status
  std::string out, err;
};

// A start of the tool takes a few milliseconds; a command that waits for a writer never ends.
constexpr std::chrono::milliseconds kToolLimit{1000};

// Runs kestrel-tool with `args`, its standard input empty or the file `input`; with
// `maxFiles`, under that limit of open files (only standard input, output and error are open
// when it starts). A run past `limit` is killed.
inline ToolRun RunTool(const std::vector<std::string>& args, rlim_t maxFiles = 0,
                       std::chrono::milliseconds limit = kToolLimit,
                       const char* input = "/dev/null") {
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open(input, O_RDONLY);
    dup2(null, 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd = 3; fd < 1024; ++fd)
      close(fd);
    if (maxFiles > 0) {
      const rlimit limit{maxFiles, maxFiles};
      setrlimit(RLIMIT_NOFILE, &limit);
    }
    std::vector<char*> argv{const_cast<char*>(KESTREL_TOOL)};
    for (const std::string& a : args)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(KESTREL_TOOL, argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  ToolRun run;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* into[2] = {&run.out, &run.err};
  int open = 2;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || poll(fds, 2, int(left.count())) <= 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buf[4096];
      const ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        into[i]->append(buf, size_t(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (const pollfd& p : fds)
    if (p.fd >= 0) close(p.fd);
  run.ended = open == 0;
  if (!run.ended) kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  if (run.ended && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  return run;
}

}  // namespace kestrel::test
