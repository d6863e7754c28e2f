// ZEL_EXPORT marks what the shared libraries export: the public classes and
// functions. Everything else is hidden.
#pragma once

#define ZEL_EXPORT __attribute__((visibility("default")))
