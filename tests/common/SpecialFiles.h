// Paths that are not regular files, for the tests that a reader of a chosen path neither waits
// on them nor reads them without end: a FIFO nobody writes, a FIFO with an endless writer, a
// Unix socket, a folder and a device, each under a name with the extension the reader wants.
// A reader that does wait would hang the test, so every read runs in a child process that is
// killed when it takes too long.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrel::test {

// Longer than any of these reads takes, far shorter than waiting for a writer.
inline constexpr std::chrono::milliseconds kReadLimit{1000};

// Leaves a Unix socket's file at `path`: it stays when the socket is closed.
inline void MakeSocketFile(const std::string& path) {
  const int s = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  close(s);
}

// Runs `body` in a child process and returns what it returned; std::nullopt when it did not
// return within `limit` (the child is killed then) or did not end normally.
inline std::optional<std::string> RunInChild(const std::function<std::string()>& body,
                                             std::chrono::milliseconds limit = kReadLimit) {
  int out[2];
  if (pipe(out) != 0) return std::nullopt;
  const pid_t pid = fork();
  if (pid < 0) return std::nullopt;
  if (pid == 0) {
    close(out[0]);
    std::string result;
    try {
      result = body();
    } catch (...) {
      result = "exception";
    }
    for (size_t at = 0; at < result.size();) {
      const ssize_t n = write(out[1], result.data() + at, result.size() - at);
      if (n <= 0) _exit(3);
      at += size_t(n);
    }
    _exit(0);
  }
  close(out[1]);
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::string result;
  bool ended = false;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{out[0], POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, int(left.count())) <= 0) break;
    char buf[4096];
    const ssize_t n = read(out[0], buf, sizeof buf);
    if (n <= 0) {
      ended = n == 0;
      break;
    }
    result.append(buf, size_t(n));
  }
  close(out[0]);
  if (!ended) kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!ended || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return result;
}

// A process that writes to a FIFO for as long as anyone reads it, a little at a time (a reader
// that never stops then fills its memory slowly rather than the machine's at once).
class EndlessWriter {
 public:
  explicit EndlessWriter(const std::string& fifo) {
    pid_ = fork();
    if (pid_ != 0) return;
    signal(SIGPIPE, SIG_IGN);
    const int fd = open(fifo.c_str(), O_WRONLY);
    if (fd < 0) _exit(1);
    static const char zeros[1 << 16] = {};
    while (write(fd, zeros, sizeof zeros) > 0)
      usleep(1000);
    _exit(0);
  }
  ~EndlessWriter() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  EndlessWriter(const EndlessWriter&) = delete;
  EndlessWriter& operator=(const EndlessWriter&) = delete;

 private:
  pid_t pid_ = -1;
};

struct SpecialFile {
  std::string kind;
  std::string path;
  bool endlessWriter = false;  // a writer must be started for each read
};

// The special files in a fresh folder of their own, removed with it.
class SpecialFiles {
 public:
  explicit SpecialFiles(const std::string& extension) {
    static int counter = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("kestrel-special-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    const std::string base = dir_.string() + "/";
    const std::string fifo = base + "fifo" + extension;
    const std::string endless = base + "endless" + extension;
    mkfifo(fifo.c_str(), 0600);
    mkfifo(endless.c_str(), 0600);
    const std::string socketPath = base + "socket" + extension;
    MakeSocketFile(socketPath);
    const std::string folder = base + "folder" + extension;
    std::filesystem::create_directory(folder);
    const std::string zero = base + "zero" + extension;
    std::filesystem::create_symlink("/dev/zero", zero);
    files_ = {{"FIFO without a writer", fifo},
              {"FIFO with an endless writer", endless, true},
              {"Unix socket", socketPath},
              {"folder", folder},
              {"/dev/zero", zero}};
  }
  ~SpecialFiles() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  SpecialFiles(const SpecialFiles&) = delete;
  SpecialFiles& operator=(const SpecialFiles&) = delete;

  const std::vector<SpecialFile>& Files() const { return files_; }
  std::filesystem::path Folder() const { return dir_; }

  // `read` of the file's path, in a child process, with the file's writer running.
  static std::optional<std::string> Read(const SpecialFile& file,
                                         const std::function<std::string(const std::string&)>& read,
                                         std::chrono::milliseconds limit = kReadLimit) {
    std::optional<EndlessWriter> writer;
    if (file.endlessWriter) writer.emplace(file.path);
    return RunInChild([&] { return read(file.path); }, limit);
  }

 private:
  std::filesystem::path dir_;
  std::vector<SpecialFile> files_;
};

}  // namespace kestrel::test
