// SPDX-License-Identifier: BSD-2-Clause
// GLNSat: the GLONASS frequency-channel table read from a channel file.
//
// One entry per line: R in column 0, the slot at column 1, the first epoch of validity at columns
// 10, 15, 18, 21, 24, 27 (year, month, day, hour, minute, second), the last epoch at columns 31,
// 36, 39, 42, 45, 48 (a blank column 31: open-ended), the channel number at column 51. Each field
// is read from its column as far as it forms a number. Lines starting with '#' or a blank, and
// empty lines, are comments.
#ifndef KESTROVA_GNSS_GLNSAT_H
#define KESTROVA_GNSS_GLNSAT_H

#include "GNSS/RINEXHeader.h"
#include "GNSS/mjd.h"
#include "GNSS/ymdhms.h"
#include "PROGINC/InputText.h"
#include "matrix/matrix.h"

#include <cstddef>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class GLNSat {
  public:
    char file[256];
    bool IsGLNSat;
    long nsat;
    matrix<short> sat;
    matrix<mjd> eph;
    matrix<long double> FreqChannel;
    ymdhms dm;
    mjd lastEph;

    GLNSat();
    void SetFile(const char* path);
    void ReadFile();
    // First pass: counts the data lines and sizes the tables.
    void CountGNSSats();
    // Second pass: fills one row per data line, in file order.
    void ReadGLNFreqChan();
    // The table from the "GLONASS SLOT / FRQ #" lines of a RINEX 3 or 4 header instead of a file:
    // one row per entry, in header order, valid for every epoch of the file.
    void SetHeaderChannels(const std::vector<GlonassSlotChannel>& slots);
    // One more row: the channel of a slot for every epoch, after the rows there are (a slot the
    // rows before cover keeps their channel).
    void AddChannel(short slot, int channel);
    // The channel of satellite satprn at epoch seph: that of the first row, in file order, whose
    // span holds the epoch (both ends included); none where no row does.
    std::optional<long double> ChannelAt(short satprn, const mjd& seph) const;
    // The same, 0 where no row holds the epoch; IsGLNSat tells which.
    long double GetFreqNum(short satprn, const mjd& seph);
    bool GetIsGLNSat() const { return IsGLNSat; }

  private:
    // The whole file, read once for both passes.
    InputText input;
    // A fresh stream on the file, from its start; the first call reads the file.
    std::unique_ptr<std::istream> Open();
    // The epoch of the year, month, day, hour, minute and second fields from column col on.
    mjd ReadEpoch(const std::string& line, std::size_t col);
    void ReadEntry(const std::string& line, long i);
};

#endif
