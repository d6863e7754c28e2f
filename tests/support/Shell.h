// A shell command run for a test: its standard output and error together,
// and its exit status (-1 when it did not exit normally).
#pragma once

#include <string>

namespace zeltest {

std::string RunShell(const std::string& command, int* status = nullptr);

}  // namespace zeltest
