#include "GNSS/RINEXf.h"
