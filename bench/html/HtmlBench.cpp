// The first open of a page in a fresh process, the way most programs use
// the parser, beside gumbo parsing the same bytes: on a large generated
// page shaped like real sites (tables, scripts, styles, comments, forms,
// many attributes, some non-ASCII text), and on one page made of the HTML
// files found under /usr/share/doc. Every side of every round runs in its
// own child process, so that its memory and first touches are its own;
// times are the processor time of that process, so that other work on the
// machine does not count. The generated page is also written back and
// compared with what was read.
//
//   bench_html [MB] [rounds]     default 50, 10
//   bench_html --write FILE DOCS [MB]   the two pages only, for profiling
//   bench_html --open FILE [gumbo]      one open in this process, no child
#include <gumbo.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ZELHtml.h"
#include "support/CpuClock.h"
#include "support/Rounds.h"

namespace {

// One block of the page; i varies the content so that no two rows match.
void AppendSection(std::string& out, unsigned i) {
  std::ostringstream s;
  s << "<!-- section " << i << " -->\n"
    << "<div class=\"section s" << i % 7 << "\" id=\"sec" << i << "\" data-index=\"" << i << "\">\n"
    << "  <h2 class=\"title\"><a href=\"/articles/" << i << "/caf\xC3\xA9\" title=\"Article " << i
    << "\">Article " << i << " \xE2\x80\x94 r\xC3\xA9sum\xC3\xA9</a></h2>\n"
    << "  <p class=lead>Posted by <span class=\"author\">user" << i * 31 % 997
    << "</span> &middot; <time datetime=\"2024-01-" << (i % 28) + 1 << "\">Jan " << (i % 28) + 1
    << "</time><br>Cost: 12&nbsp;&euro;</p>\n"
    << "  <table class=\"data\" border=\"0\" cellpadding=\"2\">\n"
    << "    <thead><tr><th scope=\"col\">Name</th><th scope=\"col\">Value</th><th>Change</th></tr></thead>\n"
    << "    <tbody>\n";
  for (unsigned r = 0; r < 6; ++r)
    s << "      <tr class=\"" << (r % 2 ? "odd" : "even") << "\"><td class=\"name\"><a href=\"/item?id=" << i * 10 + r
      << "&amp;ref=list\">Item " << r << "</a></td><td class=\"num\" align=right>" << (i * 7 + r * 13) % 1000
      << "." << r << "</td><td><img src=\"/img/arrow-" << (r % 3) << ".png\" alt=\"\" width=\"9\" height=\"9\"/> "
      << r * 3 % 11 << "%</td></tr>\n";
  s << "    </tbody>\n  </table>\n"
    << "  <script type=\"text/javascript\">\n"
    << "    (function(){ var n = " << i << "; for (var k = 0; k < n % 10; k++) { if (k < 3 && n > 2) { "
    << "document.getElementById('sec" << i << "').className += ' k' + k; } } })();\n"
    << "  </script>\n"
    << "  <form action=\"/search\" method=\"get\"><input type=\"text\" name=\"q\" value=\"\" placeholder=\"Search\">"
    << "<input type=checkbox checked name=\"all\"><select name=\"s\"><option value=\"1\" selected>One</option>"
    << "<option value=\"2\">Two</option></select><button type=\"submit\">Go</button></form>\n"
    << "  <ul class=\"tags\"><li><a href=\"/t/a\">alpha</a><li><a href=\"/t/b\">beta</a><li>gamma</ul>\n"
    << "</div>\n";
  out += s.str();
}

std::string MakePage(size_t bytes) {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>Benchmark page</title>\n<link rel=\"stylesheet\" href=\"/site.css\">\n"
      "<style>\n  body { font: 14px sans-serif; } .data td > a { color: #333; }\n</style>\n"
      "</head>\n<body>\n<nav><a href=\"/\">Home</a> | <a href=\"/about\">About</a></nav>\n";
  for (unsigned i = 0; page.size() < bytes; ++i) AppendSection(page, i);
  page += "<footer><p>&copy; 2024</p></footer>\n</body>\n</html>\n";
  return page;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The HTML files under /usr/share/doc, one after another, in name order.
std::string RealPages() {
  std::vector<std::string> files;
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator("/usr/share/doc", ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::string ext = it->path().extension().string();
    if ((ext == ".html" || ext == ".htm") && it->is_regular_file(ec)) files.push_back(it->path().string());
  }
  std::sort(files.begin(), files.end());
  std::string page;
  for (const std::string& f : files) page += ReadAll(f);
  std::printf("real pages: %zu files from /usr/share/doc\n", files.size());
  return page;
}

zelbench::Sample OpenOurs(const std::string& file) {
  zelbench::Sample s;
  ZELHtml doc;
  double t = zelbench::CpuSeconds();
  if (!doc.Open(std::wstring(file.begin(), file.end()).c_str())) std::exit(1);
  s.seconds = zelbench::CpuSeconds() - t;
  return s;
}

zelbench::Sample OpenGumbo(const std::string& file) {
  zelbench::Sample s;
  double t = zelbench::CpuSeconds();
  std::string bytes = ReadAll(file);
  GumboOutput* g = gumbo_parse_with_options(&kGumboDefaultOptions, bytes.data(), bytes.size());
  s.seconds = zelbench::CpuSeconds() - t;
  gumbo_destroy_output(&kGumboDefaultOptions, g);
  return s;
}

// Rounds of a first open of the page in file; answers the worst ratio.
double Measure(const char* name, const std::string& file, int rounds) {
  double mb = std::filesystem::file_size(file) / (1024.0 * 1024.0);
  std::printf("%s page: %.1f MB\n", name, mb);
  return zelbench::RunRounds(name, "MB/s", mb, "gumbo", rounds, [&] { return OpenOurs(file); },
                             [&] { return OpenGumbo(file); });
}

// Opens and saves the page in a child; true when the copy is unchanged.
bool WritesBack(const std::string& in) {
  const std::string out = in + ".out";
  struct Copy {
    double seconds;
  };
  Copy c = zelbench::RunInChild<Copy>([&](Copy& r) {
    ZELHtml doc;
    if (!doc.Open(std::wstring(in.begin(), in.end()).c_str())) std::exit(1);
    double t = zelbench::CpuSeconds();
    if (!doc.Save(std::wstring(out.begin(), out.end()).c_str())) std::exit(1);
    r.seconds = zelbench::CpuSeconds() - t;
  });
  bool same = ReadAll(out) == ReadAll(in);
  std::printf("save: %.3f s, written back unchanged: %s\n", c.seconds, same ? "yes" : "NO");
  std::remove(out.c_str());
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  // One side alone, so that a profiler (callgrind, perf, time -v) sees
  // nothing but the open.
  if (argc > 3 && std::string(argv[1]) == "--write") {
    std::ofstream(argv[2], std::ios::binary) << MakePage(static_cast<size_t>((argc > 4 ? std::atof(argv[4]) : 50) * 1024 * 1024));
    std::ofstream(argv[3], std::ios::binary) << RealPages();
    return 0;
  }
  if (argc > 2 && std::string(argv[1]) == "--open") {
    zelbench::Sample s = argc > 3 ? OpenGumbo(argv[2]) : OpenOurs(argv[2]);
    std::printf("open: %.3f s\n", s.seconds);
    return 0;
  }
  const double mb = argc > 1 ? std::atof(argv[1]) : 50;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 10;
  const std::string dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  const std::string made = dir + "/zel_bench_html_" + std::to_string(getpid()) + ".html";
  const std::string real = dir + "/zel_bench_html_docs_" + std::to_string(getpid()) + ".html";
  {
    std::ofstream(made, std::ios::binary) << MakePage(static_cast<size_t>(mb * 1024 * 1024));
    std::ofstream(real, std::ios::binary) << RealPages();
  }
  bool same = WritesBack(made);
  Measure("html", made, rounds);
  if (std::filesystem::file_size(real) > 0) Measure("html_docs", real, rounds);
  std::remove(made.c_str());
  std::remove(real.c_str());
  return same ? 0 : 1;
}
