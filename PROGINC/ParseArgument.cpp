#include "PROGINC/ParseArgument.h"

#include "PROGINC/ProgramError.h"
#include "PROGINC/cstringf.h"

#include <cstdlib>
#include <cstring>

namespace {

// The value text of argi, or "" when npos lies beyond its end.
const char* ValueAt(const char* argi, int npos) {
    return std::strlen(argi) >= static_cast<std::size_t>(npos) ? argi + npos : "";
}

// atoi of up to width characters of the date text from column pos.
unsigned short DateField(const char* text, int pos, int width) {
    char buf[5];
    substr(text, pos, width, buf);
    return static_cast<unsigned short>(std::atoi(buf));
}

} // namespace

void ParseFileName(const char* argi, char* file, int npos, std::size_t cap) {
    const char* value = ValueAt(argi, npos);
    std::size_t n = std::strlen(value);
    if (n >= cap)
        n = cap - 1;
    std::memcpy(file, value, n);
    file[n] = '\0';
}

long double ParseFloat(const char* argi, int npos) {
    return static_cast<float>(std::atof(ValueAt(argi, npos)));
}

long double ParseDouble(const char* argi, int npos) {
    return std::atof(ValueAt(argi, npos));
}

void ParseDate(const char* argi, ymdhms& dat, int npos) {
    const char* text = ValueAt(argi, npos);
    dat.SetYear(DateField(text, 0, 4));
    dat.SetMonth(DateField(text, 5, 2));
    dat.SetDay(DateField(text, 8, 2));
    dat.SetHour(DateField(text, 11, 2));
    dat.SetMinute(DateField(text, 14, 2));
    // The seconds run from column 17 to the end; a longer text than the field holds is refused,
    // not cut, so that no digit the user typed is lost unseen.
    if (std::strlen(text) > 17 + MaxDateSecondsText)
        ProgramError(ProgName, "SECONDS OF DATE [-s/-e] LONGER THAN 9 CHARACTERS!");
    char sec[MaxDateSecondsText + 1];
    substr(text, 17, sec);
    dat.SetSecond(std::atof(sec));
}

short SatNumber(char s, int nn) {
    switch (s) {
    case 'R':
        return static_cast<short>(100 + nn);
    case 'E':
        return static_cast<short>(200 + nn);
    case 'C':
        return static_cast<short>(300 + nn);
    case 'S':
        return static_cast<short>(400 + nn);
    default:
        return static_cast<short>(nn);
    }
}

void ParseSatList(const char* argi, matrix<short>& satprn, int npos) {
    const char* list = ValueAt(argi, npos);
    std::size_t L = std::strlen(list);
    if (L > MaxSatListText)
        ProgramError(ProgName,
                     "SATELLITE LIST [-p/-x] LONGER THAN 299 CHARACTERS (99 SATELLITES)!");
    long n = static_cast<long>(L / 3);
    satprn.Resize(n, 1);
    for (long k = 0; k < n; k++) {
        const char* g = list + 3 * k;
        satprn(k) = SatNumber(g[0], (g[1] - '0') * 10 + (g[2] - '0'));
    }
}
