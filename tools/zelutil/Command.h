// Each facility's file adds its subcommand through a Registrar at start-up,
// so that adding a facility touches no other file:
//
//   static zelutil::Registrar reg("html", [](CLI::App& app) { ... });
//
// A subcommand reports failure by throwing zelutil::Failure with the exit
// code and a message for standard error.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <stdexcept>
#include <string>

namespace zelutil {

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

}  // namespace zelutil
