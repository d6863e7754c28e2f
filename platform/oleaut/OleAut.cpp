#include "platform/base/WinTypes.h"
