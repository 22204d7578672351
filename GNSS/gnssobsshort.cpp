// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/gnssobsshort.h"

#include "GNSS/gnssobs.h"

#include <cmath>
#include <iomanip>

bool gnssobsshort::IsNull() const { return std::fabs(obs) < static_cast<long double>(0.00001); }

gnssobsshort& gnssobsshort::operator>>(const char* line)
{
    obs = ParseObsValue(line);
    return *this;
}

gnssobsshort& gnssobsshort::Read(const char* field, std::size_t length)
{
    obs = ParseObsValue(field, length);
    return *this;
}

std::ostream& operator<<(std::ostream& out, const gnssobsshort& o)
{
    WriteColumn(out, o.obs, 10, 0, 0);
    return out;
}

char* PutColumn(char* p, const gnssobsshort& o) { return PutColumn(p, o.obs, 10, 0, 0); }
