#include "GNSS/GNSSLinCombs.h"
