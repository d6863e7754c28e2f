// What an FTP server sends: control replies, fed in pieces as the network
// cuts them, the texts read out of replies, and listings in every layout.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/inet/FtpListing.h"
#include "platform/inet/FtpReply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  // The first byte picks the piece size, so replies split anywhere.
  size_t step = size ? (data[0] % 64) + 1 : 1;
  FtpReplyParser parser;
  for (size_t at = 0; at < text.size();) {
    size_t n = std::min(step, text.size() - at), used = 0;
    FtpReply r;
    FtpReplyParser::Status s = parser.Feed(text.data() + at, n, &used, r);
    if (used == 0 && s == FtpReplyParser::kNeedMore) break;
    at += used;
    if (s == FtpReplyParser::kReply) {
      FtpParsePasvPort(r.text);
      FtpParseEpsvPort(r.text);
      std::string path;
      FtpParseQuotedPath(r.text, path);
    } else if (s != FtpReplyParser::kNeedMore) {
      break;
    }
  }
  long long t;
  FtpParseTimeVal(text, t);
  FtpListing listing(1700000000);
  for (bool mlsd : {false, true})
    for (const FtpEntry& e : listing.Parse(text, mlsd))
      if (!FtpListing::IsAcceptableName(e.name)) {
        std::fprintf(stderr, "ftp fuzz: a listed name leaves its folder\n");
        std::abort();
      }
  return 0;
}
