#include "ZELLog.h"
