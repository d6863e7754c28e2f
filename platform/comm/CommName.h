// The device behind a port name.
#pragma once

#include <string>

// "COMn" or "\\.\COMn" (any case, n from 1): the target a DefineDosDeviceW
// definition gives, else /dev/ttyS<n-1>; a name starting with '/' is that
// path. Empty for anything else.
std::string ZelCommDevicePath(const wchar_t* name);
