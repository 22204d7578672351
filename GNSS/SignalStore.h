// SPDX-License-Identifier: BSD-2-Clause
// SignalStore: every signal of an observation file kept under the name the file gives it (RINEX 3
// and 4 codes such as C1C or L2W per system, RINEX 2 types such as C1, P2 or S1 for every system),
// beside the tables of the two-letter types the listing reads. Kept only on request
// (ReadRequest::everySignal): the listing's choice of one signal per band does not see it.
#ifndef KESTROVA_GNSS_SIGNALSTORE_H
#define KESTROVA_GNSS_SIGNALSTORE_H

#include "matrix/matrix.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class RINEXHeader;

// One value of a satellite: its epoch (an index of the store's epochs), the value as written
// (divided by its scale factor) and its loss-of-lock digit. The value comes first so that the
// three pack into 16 bytes: a day of a multi-GNSS station holds millions of them.
struct SignalValue {
    double value = 0;
    std::int32_t epoch = 0;
    std::uint8_t lli = 0;
    SignalValue() = default;
    SignalValue(std::int32_t at, double v, std::uint8_t lossOfLock)
        : value(v), epoch(at), lli(lossOfLock)
    {
    }
};
static_assert(sizeof(SignalValue) == 16);

// A value as the reader meets it: the values of a signal come epoch after epoch, satellite after
// satellite, into one block per signal.
struct ReadValue {
    double value;
    std::int32_t epoch;
    std::int16_t sat;
    std::uint8_t lli;
};
static_assert(sizeof(ReadValue) == 16);
template <> inline constexpr bool ZeroIsEmpty<ReadValue> = true;

// The values of one signal of the file.
struct SignalColumn {
    char system = ' ';    // the system letter of a RINEX 3 or 4 code; blank for a RINEX 2 type
    std::string code;     // as the header names it: "C1C", "P2"
    char kind = 'C';      // C code (RINEX 2 P codes too), L phase, D Doppler, S strength
    int band = 0;         // the carrier's band (BeiDou B1I of files before RINEX 3.03: 2)
    char attribute = ' '; // blank for a RINEX 2 type
    // In the order read. A block that doubles in place as it fills, rather than a vector per
    // satellite: those held a day's values once more in the room they had grown and left behind.
    matrix<ReadValue> read;
    long count = 0;
    // The values per satellite number (empty for the satellites without), by ascending epoch,
    // each vector no larger than its values; the values read are given back.
    std::vector<std::vector<SignalValue>> TakeBySatellite();
};

class SignalStore {
  public:
    // The columns of every code of the header (RINEX 3 and 4) or every type it lists (RINEX 2);
    // no column kept of codes of no kind or band known.
    void Prepare(const RINEXHeader& h);
    void Clear() { *this = SignalStore(); }
    bool Empty() const { return columns.empty(); }
    // The records that follow are of epoch e.
    void AtEpoch(long e) { epoch = static_cast<std::int32_t>(e); }
    // Line `line` (from 0) of the observation lines of a RINEX 2 record of satellite sat.
    void Store2(short sat, unsigned line, std::string_view text);
    // The satellite line of a RINEX 3 or 4 record of satellite sat of a system.
    void Store3(short sat, char system, std::string_view text);
    std::vector<SignalColumn>& Columns() { return columns; }
    const std::vector<SignalColumn>& Columns() const { return columns; }

  private:
    // A field of a line (its place from 0) read into a column, divided by divisor.
    struct Field {
        std::size_t field;
        std::size_t column;
        long double divisor;
    };
    void Store(const Field& f, short sat, std::string_view text, std::size_t at);
    std::vector<SignalColumn> columns;
    std::vector<std::vector<Field>> byLetter = std::vector<std::vector<Field>>(26); // RINEX 3
    std::vector<std::vector<Field>> byLine;                                         // RINEX 2
    std::int32_t epoch = 0;
};

#endif
