#include "ZELFile.h"
