// Runs a tool with its output read on the calling thread, so that progress
// reaches the caller's callback as the tool goes.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Runs args (looked for in /usr/sbin, /sbin, then PATH) with standard
// input empty and the C locale. onOutput gets each piece of output and
// answers false to stop the tool. True when the tool ran to the end and
// exited 0; else false with why in error.
bool ZelRunTool(const std::vector<std::string>& args, const std::function<bool(const char*, size_t)>& onOutput,
                std::string& error);
