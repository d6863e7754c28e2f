#include "platform/wmi/DriveLetters.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <tuple>

#include "platform/base/DosDevice.h"

namespace {

std::string Defined(char letter) {
  wchar_t name[3] = {static_cast<wchar_t>(letter), L':', 0};
  return ZelDosDeviceTarget(name);
}

bool Names(const std::string& target, const std::string& resolved, const std::string& device,
           const std::string& mountPoint) {
  return target == device || target == mountPoint || (!resolved.empty() && resolved == device);
}

std::string ResolveLink(const std::string& path) {
  char buf[PATH_MAX];
  return realpath(path.c_str(), buf) ? std::string(buf) : std::string();
}

int Rank(const ZelVolume& v) {
  switch (v.driveType) {
    case 3: return 0;
    case 2: return 1;
    case 5: return 2;
    default: return 3;
  }
}

// The key in which undefined volumes take their letters.
std::tuple<int, std::string> OrderKey(const ZelVolume& v) {
  bool byMount = v.driveType == 3 || v.driveType == 4;
  return {Rank(v), byMount ? v.mountPoint : v.device};
}

}  // namespace

void ZelGiveDriveLetters(std::vector<ZelVolume>& volumes, const std::vector<ZelBlockDevice>& spare,
                         const std::function<ZelVolume(const ZelBlockDevice&)>& make) {
  bool taken[26] = {};
  for (char l = 'A'; l <= 'Z'; ++l) {
    std::string target = Defined(l);
    if (target.empty()) continue;
    std::string resolved = ResolveLink(target);
    bool found = false;
    for (ZelVolume& v : volumes) {
      if (v.letter == 0 && Names(target, resolved, v.device, v.mountPoint)) {
        v.letter = l;
        found = true;
        break;
      }
    }
    for (size_t i = 0; !found && i < spare.size(); ++i) {
      std::string device = "/dev/" + spare[i].name;
      if (Names(target, resolved, device, std::string())) {
        volumes.push_back(make(spare[i]));
        volumes.back().letter = l;
        found = true;
      }
    }
    // A letter defined for something that is not a volume stays unused.
    taken[l - 'A'] = true;
  }
  std::vector<ZelVolume*> rest;
  for (ZelVolume& v : volumes) {
    if (v.letter) continue;
    if (v.mountPoint == "/" && !taken['C' - 'A']) {
      v.letter = 'C';
      taken['C' - 'A'] = true;
    } else {
      rest.push_back(&v);
    }
  }
  std::stable_sort(rest.begin(), rest.end(),
                   [](const ZelVolume* a, const ZelVolume* b) { return OrderKey(*a) < OrderKey(*b); });
  int next = 'D' - 'A';
  for (ZelVolume* v : rest) {
    while (next < 26 && taken[next]) ++next;
    if (next >= 26) break;
    v->letter = static_cast<char>('A' + next);
    taken[next] = true;
  }
  volumes.erase(std::remove_if(volumes.begin(), volumes.end(), [](const ZelVolume& v) { return v.letter == 0; }),
                volumes.end());
  std::sort(volumes.begin(), volumes.end(), [](const ZelVolume& a, const ZelVolume& b) { return a.letter < b.letter; });
}
