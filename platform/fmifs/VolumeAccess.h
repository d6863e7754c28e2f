// Getting a volume ready to be formatted: the block device behind a drive
// letter, taken out of use.
#pragma once

#include <cstdint>
#include <string>

// The device node behind root ("E:\"), through the disk listing of the
// process that loaded the module; false with why in error.
bool ZelDeviceOfRoot(const wchar_t* root, std::string& device, std::string& error);

// Unmounts every mount of the device, the deepest first, then makes sure
// nothing else holds it, and answers its size. False with why in error
// when it is not a block device or is busy; a busy volume is left mounted.
bool ZelTakeVolume(const std::string& device, uint64_t& size, std::string& error);
