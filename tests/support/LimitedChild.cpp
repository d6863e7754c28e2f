#include "support/LimitedChild.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zeltest {

int RunLimited(size_t bytes, const std::function<int()>& body) {
  pid_t pid = fork();
  if (pid < 0) return -1000;
  if (pid == 0) {
    struct rlimit lim = {bytes, bytes};
    setrlimit(RLIMIT_AS, &lim);
    _exit(body());
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1000;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

std::string DescribeChild(int answer) {
  if (answer == -1000) return "the child could not be started";
  if (answer < 0) return "the child died of signal " + std::to_string(-answer);
  return "the child answered " + std::to_string(answer);
}

}  // namespace zeltest
