// SPDX-License-Identifier: BSD-2-Clause
#include "src/NominalSpan.h"

#include "GNSS/TimeConverse.h"
#include "GNSS/ymdhms.h"

#include <array>
#include <cctype>
#include <cmath>
#include <vector>

namespace {

constexpr long double Day = 86400;
// Spans longer than this are no promise of a file (a damaged header date).
constexpr long double LongestSpan = 366 * Day;

bool Digits(const std::string& s, std::size_t at, std::size_t n)
{
    for (std::size_t i = at; i < at + n; i++)
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    return true;
}

int Number(const std::string& s, std::size_t at, std::size_t n)
{
    return std::stoi(s.substr(at, n));
}

// Seconds of a period unit of the long names: minutes, hours, days, years.
long double UnitSeconds(char unit)
{
    switch (unit) {
    case 'M': return 60;
    case 'H': return 3600;
    case 'D': return Day;
    case 'Y': return 365 * Day;
    default: return 0; // U: unknown
    }
}

bool IsPresent(const mjd& e) { return e.GetMJDay() != 0; }

} // namespace

std::optional<NamedPeriod> PeriodOfFileName(const std::string& fileName)
{
    const std::size_t slash = fileName.find_last_of('/');
    const std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    // SSSSMRCCC_K_YYYYDDDHHMM_PPU_: the station, the data source, the start, the period
    if (name.size() < 28 || name[9] != '_' || name[11] != '_' || name[23] != '_' ||
        name[27] != '_' || !Digits(name, 12, 11) || !Digits(name, 24, 2))
        return std::nullopt;
    const int year = Number(name, 12, 4), doy = Number(name, 16, 3), hour = Number(name, 19, 2),
              minute = Number(name, 21, 2), count = Number(name, 24, 2);
    const long double unit = UnitSeconds(name[26]);
    if (year < 1980 || year > 2199 || doy < 1 || doy > 366 || hour > 23 || minute > 59 ||
        count == 0 || unit == 0)
        return std::nullopt;
    ymdhms newYear;
    newYear.Set(static_cast<unsigned short>(year), 1, 1, 0, 0, 0);
    NamedPeriod p;
    p.start.Set(ymdhms2mjd(newYear).GetMJDay() + static_cast<unsigned long>(doy - 1),
                hour * 3600.0L + minute * 60.0L);
    p.seconds = count * unit;
    p.text = name.substr(24, 3);
    return p;
}

std::optional<NominalSpan> ShortOfNominalSpan(const RINEXHeader& h, const ReadFacts& facts,
                                              const std::string& fileName)
{
    const long double dt = facts.interval;
    if (!(dt > 0)) return std::nullopt;
    std::vector<NominalSpan> promised;
    if (IsPresent(h.obslast)) {
        const mjd start =
            IsPresent(h.obsfirst) && h.obsfirst <= facts.first ? h.obsfirst : facts.first;
        promised.push_back({start, h.obslast, "TIME OF LAST OBS"});
    }
    if (const std::optional<NamedPeriod> p = PeriodOfFileName(fileName)) {
        mjd end = p->start;
        end += p->seconds - dt;
        mjd early = p->start;
        early += -dt;
        if (early <= facts.first && facts.first <= end)
            promised.push_back({p->start, end, "FILE NAME " + p->text});
    }
    const NominalSpan* latest = nullptr;
    for (const NominalSpan& n : promised)
        if (n.end - n.start >= 0 && n.end - n.start <= LongestSpan &&
            (latest == nullptr || n.end - latest->end > 0))
            latest = &n;
    if (latest == nullptr || facts.last - latest->end >= -2 * dt) return std::nullopt;
    NominalSpan span = *latest;
    span.epochs = static_cast<long>(std::floor((span.end - span.start) / dt + 1e-6L)) + 1;
    return span;
}
