// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/gnssobsshort.h"

#include "GNSS/gnssobs.h"

#include <cmath>
#include <iomanip>

bool gnssobsshort::IsNull() const {
    return std::fabs(obs) < static_cast<long double>(0.00001);
}

gnssobsshort& gnssobsshort::operator>>(const char* line) {
    obs = ParseObsValue(line);
    return *this;
}

std::ostream& operator<<(std::ostream& out, const gnssobsshort& o) {
    out << std::fixed;
    if (std::fabs(o.obs) > static_cast<long double>(0.00001))
        {
        WriteFixed3(out, o.obs, 10);
        out << " 0 0";
    }
    else
        out << std::setw(10) << "*.***"
            << " * *";
    return out;
}
