#include "platform/fmifs/ToolRun.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace {

// Everything the child needs is made before fork: after it, a process with
// other threads may only make async-signal-safe calls.
struct Prepared {
  std::vector<std::string> paths;
  std::vector<char*> argv;
  std::vector<std::string> envStore;
  std::vector<char*> envp;
};

void Prepare(const std::vector<std::string>& args, Prepared& p) {
  const std::string& tool = args[0];
  for (const char* dir : {"/usr/sbin/", "/sbin/", "/usr/bin/"}) p.paths.push_back(dir + tool);
  const char* path = getenv("PATH");
  std::string dirs = path ? path : "";
  for (size_t start = 0; start <= dirs.size();) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    if (end > start) p.paths.push_back(dirs.substr(start, end - start) + "/" + tool);
    start = end + 1;
  }
  for (const std::string& a : args) p.argv.push_back(const_cast<char*>(a.c_str()));
  p.argv.push_back(nullptr);
  for (char** e = environ; e && *e; ++e)
    if (strncmp(*e, "LC_", 3) != 0 && strncmp(*e, "LANG=", 5) != 0) p.envStore.emplace_back(*e);
  p.envStore.emplace_back("LC_ALL=C");
  for (std::string& s : p.envStore) p.envp.push_back(&s[0]);
  p.envp.push_back(nullptr);
}

}  // namespace

bool ZelRunTool(const std::vector<std::string>& args, const std::function<bool(const char*, size_t)>& onOutput,
                std::string& error) {
  if (args.empty()) {
    error = "no tool";
    return false;
  }
  Prepared p;
  Prepare(args, p);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    error = std::string("pipe: ") + strerror(errno);
    return false;
  }
  pid_t pid = fork();
  if (pid < 0) {
    error = std::string("fork: ") + strerror(errno);
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (pid == 0) {
    int in = open("/dev/null", O_RDONLY);
    if (in >= 0) dup2(in, 0);
    dup2(fds[1], 1);
    dup2(fds[1], 2);
    for (const std::string& path : p.paths) execve(path.c_str(), p.argv.data(), p.envp.data());
    const char msg[] = "tool not found\n";
    (void)!write(2, msg, sizeof msg - 1);
    _exit(127);
  }
  close(fds[1]);
  bool stopped = false;
  char buf[4096];
  for (;;) {
    ssize_t n = read(fds[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (!stopped && !onOutput(buf, static_cast<size_t>(n))) {
      stopped = true;
      kill(pid, SIGTERM);
    }
  }
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (stopped) {
    error = args[0] + " stopped";
    return false;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
    error = args[0] + " not found (install dosfstools or ntfs-3g)";
  else if (WIFEXITED(status))
    error = args[0] + " failed with status " + std::to_string(WEXITSTATUS(status));
  else
    error = args[0] + " ended by signal " + std::to_string(WTERMSIG(status));
  return false;
}
