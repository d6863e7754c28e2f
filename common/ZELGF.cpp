#include "ZELGF.h"
