// Runs a test body in a child process under an address-space limit, so
// that running out of memory can be provoked without harming the test
// program. Not under the address sanitizer, which reserves far more.
#pragma once

#include <functional>
#include <string>

namespace zeltest {

// body's answer as the child's exit status; a signal that ended the child
// as its negative; -1000 when fork failed.
int RunLimited(size_t bytes, const std::function<int()>& body);

// Why the answer of RunLimited is not 0, for a test's failure message.
std::string DescribeChild(int answer);

}  // namespace zeltest
