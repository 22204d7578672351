// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/SignalStore.h"

#include "GNSS/RINEXHeader.h"
#include "GNSS/RINEXf.h"
#include "GNSS/SatSystem.h"
#include "GNSS/SignalMap.h"
#include "GNSS/gnssobs.h"

#include <algorithm>
#include <cstring>

namespace {

// Every observation field is 16 characters: F14.3, the loss-of-lock digit, the strength digit.
constexpr std::size_t FieldWidth = 16;

// The kind letter of a code or type: P codes are codes; 0 for a letter of no kind kept.
char KindOf(char letter)
{
    if (letter == 'P') return 'C';
    return std::strchr("CLDS", letter) != nullptr && letter != '\0' ? letter : 0;
}

} // namespace

void SignalStore::Prepare(const RINEXHeader& h)
{
    Clear();
    if (h.IsRinex3()) {
        for (const SystemCodes& s : h.systemCodes) {
            if (s.system < 'A' || s.system > 'Z') continue;
            for (std::size_t k = 0; k < s.codes.size(); k++) {
                const std::string& code = s.codes[k];
                const char kind = code.size() == 3 ? KindOf(code[0]) : 0;
                const int band = code.size() == 3 ? CarrierBand(h, s.system, code[1]) : 0;
                if (kind == 0 || band == 0) continue;
                byLetter[s.system - 'A'].push_back(
                    {k, columns.size(), DivisorOf(h, s.system, code)});
                columns.push_back({s.system, code, kind, band, code[2], {}, 0});
            }
        }
        return;
    }
    byLine.assign(ObsLines(h.nobs), {});
    for (unsigned short k = 0; k < h.nobs; k++) {
        const unsigned short t = h.obs(k);
        if (t >= NObsTypes) continue;
        const ObsTypeRow& row = ObsTypes[t];
        byLine[k / 5U].push_back({k % 5U, columns.size(), 1});
        columns.push_back({' ', row.name, KindOf(row.name[0]), row.band, ' ', {}, 0});
    }
}

void SignalStore::Store(const Field& f, short sat, std::string_view text, std::size_t at)
{
    if (sat < 0 || sat >= NSatNumbers) return;
    const std::size_t from = std::min(at, text.size());
    gnssobs o;
    o.Read(text.data() + from, std::min(text.size() - from, FieldWidth));
    const long double v = f.divisor != 1 ? o.obs / f.divisor : o.obs;
    if (IsNullObs(v)) return;
    SignalColumn& c = columns[f.column];
    c.read.Grow(c.count + 1);
    c.read(c.count++) = {static_cast<double>(v), epoch, sat, static_cast<std::uint8_t>(o.lli)};
}

std::vector<std::vector<SignalValue>> SignalColumn::TakeBySatellite()
{
    std::vector<std::vector<SignalValue>> bySat;
    if (count == 0) return bySat;
    bySat.resize(NSatNumbers);
    std::vector<std::size_t> n(NSatNumbers, 0);
    for (long k = 0; k < count; k++) n[static_cast<std::size_t>(read(k).sat)]++;
    for (std::size_t s = 0; s < n.size(); s++) bySat[s].reserve(n[s]);
    for (long k = 0; k < count; k++) {
        const ReadValue& v = read(k);
        bySat[static_cast<std::size_t>(v.sat)].push_back({v.epoch, v.value, v.lli});
    }
    read.Resize(0, 0);
    count = 0;
    return bySat;
}

void SignalStore::Store2(short sat, unsigned line, std::string_view text)
{
    if (line >= byLine.size()) return;
    for (const Field& f : byLine[line]) Store(f, sat, text, FieldWidth * f.field);
}

void SignalStore::Store3(short sat, char system, std::string_view text)
{
    if (system < 'A' || system > 'Z') return;
    for (const Field& f : byLetter[system - 'A']) Store(f, sat, text, FieldColumn3(f.field) - 1);
}
