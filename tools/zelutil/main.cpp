// zelutil: the library's facilities from the command line, through the
// public classes only.
#include <clocale>
#include <iostream>
#include <map>

#include "Command.h"
#include "ZELGF.h"

namespace zelutil {

namespace {
std::map<std::string, AddCommand>& Commands() {
  static std::map<std::string, AddCommand> commands;
  return commands;
}
}  // namespace

Registrar::Registrar(const char* name, AddCommand add) { Commands()[name] = std::move(add); }

std::wstring Wide(const std::string& s) {
  int n = ZELGF::MultiToWide(s.c_str(), NULL, 0);
  std::wstring w(static_cast<size_t>(n > 0 ? n : 1), L'\0');
  ZELGF::MultiToWide(s.c_str(), &w[0], n);
  w.resize(wcslen(w.c_str()));
  return w;
}

std::string Narrow(const wchar_t* s) { return CString(s).ToUtf8(); }

}  // namespace zelutil

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C.UTF-8");
  CLI::App app{"zelutil: databases, workbooks, XML, HTML, serial ports, FTP and disks from the command line"};
  app.require_subcommand(1);
  auto* version = app.add_subcommand("version", "print the library version");
  version->callback([] { std::cout << "zelutil " << ZELUTIL_VERSION << "\n"; });
  for (auto& [name, add] : zelutil::Commands()) add(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  } catch (const zelutil::Failure& f) {
    std::cerr << "zelutil: " << f.what() << "\n";
    return f.exitCode;
  }
  return 0;
}
