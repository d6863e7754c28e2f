// Each facility's file adds its subcommand through a Registrar at start-up,
// so that adding a facility touches no other file:
//
//   static zelutil::Registrar reg("html", [](CLI::App& app) { ... });
//
// A subcommand reports failure by throwing zelutil::Failure with the exit
// code and a message for standard error: kExitFailed when the operation
// failed, kExitUsage when the command line itself is wrong. Output goes to
// std::cout; a loop that prints as it goes calls CheckOutput() after each
// line, so a full disk or a closed output stops the run with exit code 1.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <stdexcept>
#include <string>

class ZELLog;

namespace zelutil {

enum ExitCode { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

using AddCommand = std::function<void(CLI::App& app)>;

struct Registrar {
  Registrar(const char* name, AddCommand add);
};

struct Failure : std::runtime_error {
  Failure(int code, const std::string& what) : std::runtime_error(what), exitCode(code) {}
  int exitCode;
};

// Narrow (UTF-8) and wide text for arguments and output.
std::wstring Wide(const std::string& s);
std::string Narrow(const wchar_t* s);

// ": <text> (<description>)" of the newest record in a class's log, empty
// when nothing was logged; what a failure message ends with.
std::string LastReport(const ZELLog& log);

// Why a file cannot be read, in plain words (": is a folder", ": No such
// file or directory"), or empty when nothing about the file itself is
// wrong; the classes answer only that the open failed.
std::string FileProblem(const std::string& path);

// Throws Failure(kExitFailed) when a write to standard output failed;
// with flush, after writing out what is still buffered.
void CheckOutput(bool flush = false);

}  // namespace zelutil
