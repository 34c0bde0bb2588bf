// kestrel-tool on paths that are not regular files, and on trees it cannot wholly open: every
// command ends at once with the error a bad file gets, and the scan says what it skipped.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/SpecialFiles.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
  bool ended = false;  // false: killed after the time limit
  int status = -1;     // exit status
  std::string out, err;
};

// A start of the tool takes a few milliseconds; a command that waits for a writer never ends.
constexpr std::chrono::milliseconds kToolLimit{1000};

// Runs kestrel-tool with `args`, its standard input empty; with `maxFiles`, under that limit
// of open files (only standard input, output and error are open when it starts).
ToolRun RunTool(const std::vector<std::string>& args, rlim_t maxFiles = 0) {
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_RDONLY);
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
  const auto deadline = std::chrono::steady_clock::now() + kToolLimit;
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

TEST(ToolFiles, CommandsOnSpecialFilesEndAtOnceWithTheirError) {
  const kestrel::test::SpecialFiles special(".dxf");
  const std::string png = (special.Folder() / "out.png").string();
  struct Command {
    std::vector<std::string> args;  // the file goes last, or where "FILE" stands
    int status;
    const char* output;  // expected in standard output and error together
  };
  const Command commands[] = {
      {{"sniff", "FILE"}, 0, "binary\tread error!\n"},
      {{"lisp-tokens", "FILE"}, 1, "kestrel-tool: cannot read"},
      {{"dxf-dump", "FILE"}, 0, "\"error\":\"busy\""},
      {{"dxf-dump", "FILE", "--stage", "final"}, 0, "\"error\":\"not a file\""},
      {{"render", "FILE", png}, 1, ""},
  };
  std::vector<kestrel::test::SpecialFile> files = special.Files();
  files.push_back({"device named without an extension", "/dev/zero"});
  for (const Command& command : commands) {
    for (const kestrel::test::SpecialFile& file : files) {
      SCOPED_TRACE(command.args[0] + " on a " + file.kind);
      std::vector<std::string> args = command.args;
      for (std::string& a : args)
        if (a == "FILE") a = file.path;
      std::optional<kestrel::test::EndlessWriter> writer;
      if (file.endlessWriter) writer.emplace(file.path);
      const ToolRun run = RunTool(args);
      ASSERT_TRUE(run.ended) << "did not end within a second";
      EXPECT_EQ(run.status, command.status) << run.err;
      EXPECT_NE((run.out + run.err).find(command.output), std::string::npos) << run.out << run.err;
    }
  }
}

TEST(ToolFiles, ScanReportsTheFoldersItCouldNotOpen) {
  const fs::path root =
      fs::temp_directory_path() / ("kestrel-tool-scan-" + std::to_string(getpid()));
  fs::remove_all(root);
  for (const char* file : {"a.dwg", "sub1/b.dwg", "sub2/deeper/c.dwg"}) {
    fs::create_directories((root / file).parent_path());
    std::ofstream(root / file) << "x";
  }
  const ToolRun all = RunTool({"scan", root.string(), "*.dwg"});
  ASSERT_TRUE(all.ended);
  EXPECT_EQ(all.err, " 3 / 3 検索を終了しました.\n");
  EXPECT_EQ(all.err.find("開けないフォルダ"), std::string::npos) << all.err;

  // Room for one folder only: the top one opens, its two subfolders do not.
  const ToolRun starved = RunTool({"scan", root.string(), "*.dwg"}, 4);
  ASSERT_TRUE(starved.ended);
  // The search's final status keeps the note: it is what stays on show.
  EXPECT_EQ(starved.err, " 1 / 1 検索を終了しました. (開けないフォルダ 2)\n");
  EXPECT_NE(starved.out.find("a.dwg"), std::string::npos);
  fs::remove_all(root);
}

}  // namespace
