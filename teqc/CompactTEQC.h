// SPDX-License-Identifier: BSD-2-Clause
// CompactTEQC: a TEQC COMPACT2 multipath file (code-multipath estimates per satellite and epoch).
// The values are stored flat, epoch after epoch: the values of epoch e follow those of the
// earlier epochs; sat, obs, slip and iobs share that index. Satellite numbers are those of the
// RINEX data store (GNSS/SatSystem), so an estimate only ever meets its own satellite.
#ifndef KESTROVA_TEQC_COMPACTTEQC_H
#define KESTROVA_TEQC_COMPACTTEQC_H

#include "GNSS/mjd.h"
#include "PROGINC/InputText.h"
#include "matrix/matrix.h"

#include <istream>
#include <memory>

class CompactTEQC {
  public:
    char compfile[256];
    long nobs;
    long neph;
    short version;
    float interval;
    matrix<unsigned short> sat;
    matrix<unsigned short> nsat;
    matrix<unsigned short> satList;
    matrix<double> obs;
    matrix<bool> slip;
    matrix<mjd> eph;
    // The value can be applied: its satellite identifier was readable and its field held a
    // finite number. A field beyond the end of its values line is a missing estimate.
    matrix<bool> iobs;

    CompactTEQC();
    void SetFile(const char* file);
    void ReadFile();
    void CheckData();
    void SetData();
    void ReadData();
    long NObs() const { return nobs; }
    long NEph() const { return neph; }

  private:
    // The whole file, read once for both passes.
    InputText input;
    // A fresh stream on the file, from its start; the first call reads the file.
    std::unique_ptr<std::istream> Open();
    // Reads the header up to its "START_TIME_MJD" line, sets version and interval and gives the
    // start epoch; in stands at the first data record afterwards.
    mjd ReadHeader(std::istream& in);
    void SetSatList();
};

#endif
