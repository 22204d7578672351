// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/RINEXf.h"

#include "PROGINC/InputText.h"
#include "PROGINC/ParseArgument.h"
#include "PROGINC/cfilef.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The longest number field of a RINEX 2 line is far shorter than this.
constexpr std::size_t MaxNumberField = 80;

// A field copied into a terminated buffer for the C library's number conversions.
struct NumberText {
    char text[MaxNumberField + 1];
    explicit NumberText(std::string_view field) { text[field.copy(text, MaxNumberField)] = '\0'; }
};

bool IsSpaceAt(std::string_view line, std::size_t col)
{
    return std::isspace(static_cast<unsigned char>(Column(line, col))) != 0;
}

bool IsDigitAt(std::string_view line, std::size_t col)
{
    return std::isdigit(static_cast<unsigned char>(Column(line, col))) != 0;
}

} // namespace

std::string_view Columns(std::string_view line, std::size_t first, std::size_t width)
{
    if (first < 1 || first > line.size()) return {};
    return line.substr(first - 1, width);
}

char Column(std::string_view line, std::size_t col)
{
    std::string_view c = Columns(line, col, 1);
    return c.empty() ? ' ' : c[0];
}

long ColumnsInt(std::string_view line, std::size_t first, std::size_t width)
{
    return std::strtol(NumberText(Columns(line, first, width)).text, nullptr, 10);
}

double ColumnsNum(std::string_view line, std::size_t first, std::size_t width)
{
    return std::strtod(NumberText(Columns(line, first, width)).text, nullptr);
}

bool IsBlank(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

void AppendColumns(std::string& out, std::string_view line, std::size_t first, std::size_t width)
{
    std::size_t end = out.size() + width;
    out.append(Columns(line, first, width));
    out.resize(end, ' ');
}

bool IsFirstObsLine(const char* niz)
{
    std::string_view line(niz);
    if (line.size() <= 32 || !IsSpaceAt(line, 1)) return false;
    // year, month, day, hour and minute: a blank and two characters each, the first of them
    // possibly blank (I3 fields)
    for (std::size_t c = 2; c <= 14; c += 3)
        if (!(IsDigitAt(line, c) || IsSpaceAt(line, c)) || !IsDigitAt(line, c + 1) ||
            !IsSpaceAt(line, c + 2))
            return false;
    // seconds F11.7: columns 16-26, the blank of column 16 tested above
    if (!(IsDigitAt(line, 17) || IsSpaceAt(line, 17)) ||
        !(IsDigitAt(line, 18) || IsSpaceAt(line, 18)))
        return false;
    if (Column(line, 19) != '.') return false;
    for (std::size_t c = 20; c <= 26; c++)
        if (!IsDigitAt(line, c)) return false;
    return true;
}

void ParseFirstObsLine(const char* niz, unsigned short& yr, unsigned short& mon,
                       unsigned short& day, unsigned short& hh, unsigned short& mm,
                       long double& sec, unsigned short& nobs)
{
    std::string_view line(niz);
    long year = ColumnsInt(line, 1, 3);
    yr = static_cast<unsigned short>(year <= 79 ? year + 2000 : year + 1900);
    mon = static_cast<unsigned short>(ColumnsInt(line, 4, 3));
    day = static_cast<unsigned short>(ColumnsInt(line, 7, 3));
    hh = static_cast<unsigned short>(ColumnsInt(line, 10, 3));
    mm = static_cast<unsigned short>(ColumnsInt(line, 13, 3));
    sec = ColumnsNum(line, 16, 11);
    nobs = EpochCount(line);
}

namespace {

// Two columns of an I2 field: a digit or a blank, then a digit.
bool IsTwoDigitField(std::string_view line, std::size_t col)
{
    return (IsDigitAt(line, col) || IsSpaceAt(line, col)) && IsDigitAt(line, col + 1);
}

// " yyyy mm dd hh mm ss.sssssss" in columns 2-29.
bool IsEpochDate3(std::string_view line)
{
    if (!IsSpaceAt(line, 2)) return false;
    for (std::size_t c = 3; c <= 6; c++)
        if (!IsDigitAt(line, c)) return false;
    // month, day, hour and minute: a blank and an I2 field each
    for (std::size_t c = 7; c <= 16; c += 3)
        if (!IsSpaceAt(line, c) || !IsTwoDigitField(line, c + 1)) return false;
    // seconds F11.7: columns 19-29
    if (!IsSpaceAt(line, 19) || !IsTwoDigitField(line, 20) || Column(line, 22) != '.') return false;
    for (std::size_t c = 23; c <= 29; c++)
        if (!IsDigitAt(line, c)) return false;
    return true;
}

} // namespace

bool IsEpochLine3(std::string_view line)
{
    // the flag in column 32 at least
    if (line.size() < 32 || line[0] != '>') return false;
    if (IsEpochDate3(line)) return true;
    return IsBlank(Columns(line, 2, 28)) && IsEventFlag(EpochFlag(line));
}

void ParseEpochLine3(std::string_view line, unsigned short& yr, unsigned short& mon,
                     unsigned short& day, unsigned short& hh, unsigned short& mm, long double& sec)
{
    yr = static_cast<unsigned short>(ColumnsInt(line, 3, 4));
    mon = static_cast<unsigned short>(ColumnsInt(line, 8, 2));
    day = static_cast<unsigned short>(ColumnsInt(line, 11, 2));
    hh = static_cast<unsigned short>(ColumnsInt(line, 14, 2));
    mm = static_cast<unsigned short>(ColumnsInt(line, 17, 2));
    sec = ColumnsNum(line, 19, 11);
}

bool IsEpochLine3Form(std::string_view epochLine)
{
    return !epochLine.empty() && epochLine[0] == '>';
}

void ParseEpochLine(const char* epochLine, unsigned short& yr, unsigned short& mon,
                    unsigned short& day, unsigned short& hh, unsigned short& mm, long double& sec)
{
    if (IsEpochLine3Form(epochLine)) return ParseEpochLine3(epochLine, yr, mon, day, hh, mm, sec);
    unsigned short n = 0;
    ParseFirstObsLine(epochLine, yr, mon, day, hh, mm, sec, n);
}

bool CarriesClockOffset(std::string_view epochLine)
{
    return epochLine.size() > (IsEpochLine3Form(epochLine) ? 35U : 69U);
}

long double ClockOffset(std::string_view epochLine)
{
    return IsEpochLine3Form(epochLine) ? ColumnsNum(epochLine, 36, 21)
                                       : ColumnsNum(epochLine, 69, 12);
}

char EpochFlag(std::string_view epochLine)
{
    return Column(epochLine, IsEpochLine3Form(epochLine) ? 32 : 29);
}

unsigned short EpochCount(std::string_view epochLine)
{
    // RINEX 3 and 4: I3 in columns 33-35, up to 999
    if (IsEpochLine3Form(epochLine))
        return static_cast<unsigned short>(std::max(0L, ColumnsInt(epochLine, 33, 3)));
    // I3 in columns 30-32; counts above 99 do not occur in version 2 files
    return static_cast<unsigned short>(std::max(0L, ColumnsInt(epochLine, 31, 2)));
}

bool IsEventFlag(char flag) { return flag >= '2' && flag <= '5'; }

unsigned SatListLines(unsigned nsat) { return nsat > 12 ? (nsat - 1) / 12 : 0; }

unsigned ObsLines(unsigned nobs) { return (nobs + 4) / 5; }

std::string EpochText(const char* epochLine)
{
    unsigned short yr = 0, mon = 0, day = 0, hh = 0, mm = 0;
    long double sec = 0;
    ParseEpochLine(epochLine, yr, mon, day, hh, mm, sec);
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%010.7Lf", yr, mon, day, hh, mm,
                  sec);
    return text;
}

std::string TruncatedRecordText(const char* epochLine)
{
    return "RINEX FILE ENDS INSIDE THE OBSERVATION RECORD OF EPOCH " + EpochText(epochLine);
}

bool ObsRecordLines::NextEpoch()
{
    held.clear();
    nextHeld = 0;
    if (TextBuffer* text = TextOf(in)) text->Hold(nullptr);
    while (ReadLine(in, epochLine)) {
        if (!(v3 ? IsEpochLine3(epochLine) : IsFirstObsLine(epochLine.c_str()))) continue;
        if (!IsEventFlag(EpochFlag(epochLine))) return true;
        // an event: its special records (header or comment lines) follow and are passed over
        for (unsigned short k = EpochCount(epochLine); k > 0; k--)
            if (!ReadLine(in, epochLine)) return false;
    }
    return false;
}

bool ObsRecordLines::NextLine(std::string_view& line)
{
    if (nextHeld < held.size()) {
        line = held[nextHeld++];
        return true;
    }
    return ReadLine(in, line, store);
}

bool ObsRecordLines::TakeRecord(unsigned short n, unsigned nobs)
{
    held.clear();
    nextHeld = 0;
    copies.clear();
    TextBuffer* text = TextOf(in);
    // the lines stay where they are in a text in memory, which keeps them until the next epoch
    if (text != nullptr) text->Hold(text->Position());
    std::vector<std::size_t> ends; // where each copied line ends in copies
    std::string_view line;
    for (unsigned long k = RecordLines(n, nobs); k > 0; k--) {
        if (!ReadLine(in, line, store)) return false;
        if (text != nullptr) {
            held.push_back(line);
        } else {
            copies.append(line);
            ends.push_back(copies.size());
        }
    }
    for (std::size_t k = 0, from = 0; k < ends.size(); from = ends[k++])
        held.push_back(std::string_view(copies).substr(from, ends[k] - from));
    return true;
}

unsigned long ObsRecordLines::RecordLines(unsigned short n, unsigned nobs) const
{
    return v3 ? n : SatListLines(n) + n * static_cast<unsigned long>(ObsLines(nobs));
}
