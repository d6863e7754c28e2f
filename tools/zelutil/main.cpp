// zelutil: the library's facilities from the command line, through the
// public classes only.
#include <clocale>
#include <iostream>
#include <map>

#include "Command.h"

namespace zelutil {
std::map<std::string, AddCommand>& Commands();
}

namespace {

const char kVersion[] = "zelutil " ZELUTIL_VERSION;

const char kExitStatus[] =
    "Exit status:\n"
    "  0  success\n"
    "  1  the operation failed (the message on standard error says why)\n"
    "  2  usage error: the command line is wrong";

int Run(int argc, char** argv) {
  CLI::App app{"zelutil: the ZELUtilU facilities from the command line", "zelutil"};
  app.require_subcommand(1);
  app.set_version_flag("--version", kVersion, "print the version and exit");
  app.footer(kExitStatus);
  auto* version = app.add_subcommand("version", "print the version");
  version->callback([] { std::cout << kVersion << "\n"; });
  for (auto& [name, add] : zelutil::Commands()) add(app);
  // The parser would only say that a subcommand is required.
  // (A facility's file may add more than one subcommand.)
  auto named = [&](CLI::App* sub) { return sub->get_name() == argv[1]; };
  if (argc > 1 && argv[1][0] != '-' && app.get_subcommands(named).empty()) {
    std::cerr << "zelutil: unknown subcommand '" << argv[1] << "'\nRun with --help for the list.\n";
    return zelutil::kExitUsage;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    zelutil::CheckOutput(true);
    return code == 0 ? zelutil::kExitOk : zelutil::kExitUsage;
  }
  zelutil::CheckOutput(true);
  return zelutil::kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C.UTF-8");
  try {
    return Run(argc, argv);
  } catch (const zelutil::Failure& f) {
    // What was printed before the failure stays printed.
    std::cout.flush();
    std::cerr << "zelutil: " << f.what() << "\n";
    return f.exitCode;
  }
}
