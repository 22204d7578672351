// SPDX-License-Identifier: BSD-2-Clause
#include "PROGINC/ParseArgument.h"

#include "GNSS/SatSystem.h"
#include "PROGINC/ProgramError.h"
#include "PROGINC/cstringf.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The value text of argi, or "" when npos lies beyond its end.
const char* ValueAt(const char* argi, int npos)
{
    return std::strlen(argi) >= static_cast<std::size_t>(npos) ? argi + npos : "";
}

// atoi of up to width characters of the date text from column pos.
unsigned short DateField(const char* text, int pos, int width)
{
    char buf[5];
    substr(text, pos, width, buf);
    return static_cast<unsigned short>(std::atoi(buf));
}

// Digits, then blanks only: a number written shorter than its columns. A field cut by the end
// of the text is what it holds up to there.
// With point, one decimal point may stand among the digits.
bool IsShortNumber(const char* text, std::size_t from, std::size_t to, bool point)
{
    const std::size_t end = std::min(std::strlen(text), to);
    std::size_t k = std::min(from, end);
    bool pointTaken = !point;
    while (k < end &&
           (std::isdigit(static_cast<unsigned char>(text[k])) || (text[k] == '.' && !pointTaken))) {
        pointTaken = pointTaken || text[k] == '.';
        k++;
    }
    while (k < end && text[k] == ' ') k++;
    return k == end;
}

// The digit columns of a date (the separators between them are not read): year 0-3, month 5-6,
// day 8-9, hour 11-12, minute 14-15, seconds with their decimals from 17 on.
bool DateFitsColumns(const char* text)
{
    for (std::size_t first : {0, 5, 8, 11, 14})
        if (!IsShortNumber(text, first, first == 0 ? 4 : first + 2, false)) return false;
    return IsShortNumber(text, 17, std::strlen(text), true);
}

// A group of a -p or -x list that names no satellite: numbering it anyway would list another.
[[noreturn]] void RefuseSatellite(const std::string& typed, const std::string& option)
{
    std::string letters;
    for (char c : SystemLetters())
        letters += letters.empty() ? std::string(1, c) : std::string(" ") + c;
    ProgramError(ProgName, ("SATELLITE \"" + typed + "\" OF OPTION " + option +
                            " IS NOT A SYSTEM LETTER (" + letters + ") AND TWO DIGITS!")
                               .c_str());
}

} // namespace

void ParseFileName(const char* argi, char* file, int npos, std::size_t cap)
{
    const char* value = ValueAt(argi, npos);
    std::size_t n = std::strlen(value);
    if (n >= cap) n = cap - 1;
    std::memcpy(file, value, n);
    file[n] = '\0';
}

long double ParseFloat(const char* argi, int npos)
{
    return static_cast<float>(std::atof(ValueAt(argi, npos)));
}

long double ParseDouble(const char* argi, int npos) { return std::atof(ValueAt(argi, npos)); }

void ParseDate(const char* argi, ymdhms& dat, int npos)
{
    const char* text = ValueAt(argi, npos);
    // A digit out of its columns would silently read as another date.
    if (!DateFitsColumns(text))
        ProgramError(ProgName,
                     ("DATE \"" + std::string(text) + "\" OF OPTION " +
                      std::string(argi, static_cast<std::size_t>(npos)) +
                      " DOES NOT FIT ITS COLUMNS (YYYY-MM-DD HH:MM:SS.S, ANY SEPARATORS)!")
                         .c_str());
    // The seconds run from column 17 to the end; a longer text than the field holds is refused,
    // not cut, so that no digit the user typed is lost unseen.
    if (std::strlen(text) > 17 + MaxDateSecondsText)
        ProgramError(ProgName, "SECONDS OF DATE [-s/-e] LONGER THAN 9 CHARACTERS!");
    char sec[MaxDateSecondsText + 1];
    substr(text, 17, sec);
    const ymdhms date(DateField(text, 0, 4), DateField(text, 5, 2), DateField(text, 8, 2),
                      DateField(text, 11, 2), DateField(text, 14, 2), std::atof(sec),
                      ymdhms::Unchecked{});
    if (const std::string field = date.FirstInvalidField(); !field.empty())
        ProgramError(ProgName, ("DATE \"" + std::string(text) + "\" OF OPTION " +
                                std::string(argi, static_cast<std::size_t>(npos)) +
                                " IS NOT A DATE (" + field + ")!")
                                   .c_str());
    dat = date;
}

void ParseSatList(const char* argi, matrix<short>& satprn, int npos)
{
    const char* list = ValueAt(argi, npos);
    std::size_t L = std::strlen(list);
    if (L > MaxSatListText)
        ProgramError(ProgName,
                     "SATELLITE LIST [-p/-x] LONGER THAN 299 CHARACTERS (99 SATELLITES)!");
    long n = static_cast<long>(L / 3);
    satprn.Resize(n, 1);
    for (long k = 0; k < n; k++) {
        const std::string typed(list + 3 * k, 3);
        std::string id = typed;
        id[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(id[0])));
        satprn(k) = SatOfId(id);
        if (satprn(k) == NoSatellite)
            RefuseSatellite(typed, std::string(argi, static_cast<std::size_t>(npos)));
    }
}
