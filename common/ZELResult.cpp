#include "ZELResult.h"
