#include "GNSS/gnssobs.h"

#include "PROGINC/cstringf.h"

#include <cmath>
#include <cstdlib>
#include <iomanip>

namespace {

// The flag at position i of a field: blank is 0, otherwise the character's code minus the code of
// '0'. A field text that ends before i has a blank there: nothing past its end is read.
unsigned short FlagDigit(const char* line, int i) {
    char c[2];
    substr(line, i, 1, c);
    return c[0] == '\0' || c[0] == ' ' ? 0 : static_cast<unsigned short>(c[0] - '0');
}

// Both operands present, else the missing value; flags of a formed value are always 0.
gnssobs Formed(const gnssobs& o1, const gnssobs& o2, long double value) {
    gnssobs r;
    if (!o1.IsNull() && !o2.IsNull())
        r.obs = value;
    return r;
}

} // namespace

long double ParseObsValue(const char* field) {
    char buf[15];
    substr(field, 0, 14, buf);
    return std::atof(buf);
}

bool gnssobs::IsNull() const {
    return std::fabs(obs) < static_cast<long double>(0.0001);
}

gnssobs& gnssobs::operator>>(const char* line) {
    lli = FlagDigit(line, 14);
    ss = FlagDigit(line, 15);
    obs = ParseObsValue(line);
    return *this;
}

gnssobs operator*(long double k, const gnssobs& obs) {
    gnssobs r = obs;
    r.obs = k * obs.obs;
    return r;
}

gnssobs operator-(const gnssobs& o1, const gnssobs& o2) {
    return Formed(o1, o2, o1.obs - o2.obs);
}

gnssobs operator+(const gnssobs& o1, const gnssobs& o2) {
    return Formed(o1, o2, o1.obs + o2.obs);
}

std::ostream& operator<<(std::ostream& out, const gnssobs& o) {
    out << std::fixed;
    if (std::fabs(o.obs) > static_cast<long double>(0.00001))
        out << std::setw(14) << std::setprecision(3) << o.obs << std::setw(2) << o.lli
            << std::setw(2) << o.ss;
    else
        out << std::setw(14) << "*.***"
            << " * *";
    return out;
}
