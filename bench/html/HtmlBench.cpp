// Reads and writes back a large page shaped like real sites (tables,
// scripts, styles, comments, forms, many attributes, some non-ASCII text),
// beside gumbo parsing the same bytes. Each side runs in its own child
// process, so that its peak memory is its own; times are the processor
// time of that process, so that other work on the machine does not count.
//
//   bench_html [MB]     default 50
#include <gumbo.h>
#include <unistd.h>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "ZELHtml.h"
#include "support/Child.h"

namespace {

// Processor time of this process, user and system.
struct Clock {
  using time_point = double;
  static double now() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
  }
};

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

double Seconds(double a, double b) { return b - a; }

struct Result {
  double parse = 0, write = 0;  // seconds
  double peakMB = 0;            // the child's own peak above its start
};

// Runs job in its own child; it answers its seconds, passed back with the
// child's peak above its start.
template <class Job>
Result InChild(Job job) {
  return zelbench::RunInChild<Result>([&](Result& r) {
    long before = zelbench::PeakKB();
    r = job();
    r.peakMB = (zelbench::PeakKB() - before) / 1024.0;
  });
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const double mb = argc > 1 ? std::atof(argv[1]) : 50;
  const std::string dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  const std::string in = dir + "/zel_bench_html_" + std::to_string(getpid()) + ".html";
  const std::string out = in + ".out";
  size_t size;
  {
    std::string page = MakePage(static_cast<size_t>(mb * 1024 * 1024));
    size = page.size();
    std::ofstream(in, std::ios::binary) << page;
  }
  const double fileMB = size / (1024.0 * 1024.0);
  std::printf("page: %.1f MB\n", fileMB);

  auto ours = [&] {
    Result r;
    ZELHtml doc;
    auto t0 = Clock::now();
    if (!doc.Open(std::wstring(in.begin(), in.end()).c_str())) std::exit(1);
    auto t1 = Clock::now();
    if (!doc.Save(std::wstring(out.begin(), out.end()).c_str())) std::exit(1);
    auto t2 = Clock::now();
    r.parse = Seconds(t0, t1);
    r.write = Seconds(t1, t2);
    return r;
  };
  auto peer = [&] {
    Result r;
    auto t0 = Clock::now();
    std::string bytes = ReadAll(in);
    GumboOutput* g = gumbo_parse_with_options(&kGumboDefaultOptions, bytes.data(), bytes.size());
    r.parse = Seconds(t0, Clock::now());
    gumbo_destroy_output(&kGumboDefaultOptions, g);
    return r;
  };

  // Best of two runs each, alternating; memory from the first.
  Result a = InChild(ours), b = InChild(peer);
  Result a2 = InChild(ours), b2 = InChild(peer);
  if (a2.parse < a.parse) a.parse = a2.parse, a.write = a2.write;
  if (b2.parse < b.parse) b.parse = b2.parse;

  bool same = ReadAll(out) == ReadAll(in);
  std::remove(in.c_str());
  std::remove(out.c_str());
  std::printf("written back unchanged: %s\n", same ? "yes" : "NO");
  std::printf("ours: open %.3f s, save %.3f s (%.1f MB/s writing), peak %.0f MB = %.1f x the file\n", a.parse, a.write,
              fileMB / a.write, a.peakMB, a.peakMB / fileMB);
  std::printf("gumbo: read and parse %.3f s, peak %.0f MB = %.1f x the file\n", b.parse, b.peakMB, b.peakMB / fileMB);
  const double x = fileMB / a.parse, y = fileMB / b.parse;
  std::printf("html: ours %.1f MB/s, peer %.1f MB/s (gumbo), ratio %.2f\n", x, y, x / y);
  std::printf("html memory: ours %.0f MB, peer %.0f MB\n", a.peakMB, b.peakMB);
  return same ? 0 : 1;
}
