// Drive letters of the volumes, the same on every run for the same disks:
//
// 1. A letter defined with DefineDosDeviceW(0, L"E:", target) names the
//    volume whose device or mount point is the target (or what a link
//    target resolves to). Such a letter may bring in a fixed device that is
//    not mounted and so not otherwise listed.
// 2. The root file system is C:.
// 3. The others take the lowest free letter from D: to Z: in this order:
//    fixed volumes by mount point, removable ones by device, optical ones by
//    device, network mounts by mount point. A: and B: are only given by
//    definition. Volumes left without a letter are not listed.
#pragma once

#include <functional>
#include <vector>

#include "platform/wmi/BlockDevices.h"
#include "platform/wmi/Volumes.h"

// Gives the letters and leaves the volumes in letter order.
void ZelGiveDriveLetters(std::vector<ZelVolume>& volumes, const std::vector<ZelBlockDevice>& spare,
                         const std::function<ZelVolume(const ZelBlockDevice&)>& make);
