#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zeltest {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "zeltest-XXXXXX").string();
  if (!mkdtemp(&tmpl[0])) throw std::runtime_error("mkdtemp failed");
  m_path = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

std::wstring TempDir::wfile(const std::string& name) const {
  std::string s = file(name);
  return std::wstring(s.begin(), s.end());  // test names are ASCII
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace zeltest
