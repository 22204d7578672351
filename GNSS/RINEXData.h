// SPDX-License-Identifier: BSD-2-Clause
// RINEXData: every observation of one RINEX file, one satellite record per satellite and
// epoch, stored flat epoch after epoch; and the reader of the observation records (RINEX 2, and
// RINEX 3 and 4 with their fields stored under the two-letter types the header maps them to).
#ifndef KESTROVA_GNSS_RINEXDATA_H
#define KESTROVA_GNSS_RINEXDATA_H

#include "GNSS/RINEXHeader.h"
#include "GNSS/gnssobs.h"
#include "GNSS/gnssobsshort.h"
#include "GNSS/mjd.h"
#include "matrix/matrix.h"

#include <istream>
#include <string>
#include <vector>

class ObsRecordLines;

struct GlonassChannels;

class RINEXData {
  public:
    long nepochall;
    long nsatall;
    matrix<mjd> epoch;
    matrix<char> flag;
    matrix<short> nsat;
    matrix<short> sat;
    matrix<short> satList;
    matrix<long double> TCorr;
    bool IfTimeCorr;
    matrix<gnssobs> C1, P1, C2, P2, C5, C6, C7, C8, C9;
    matrix<gnssobs> L1, L2, L5, L6, L7, L8, L9;
    matrix<gnssobsshort> D1, D2, D5, D6, D7, D8, D9;
    matrix<gnssobsshort> S1, S2, S5, S6, S7, S8, S9;
    RINEXHeader& rhead;
    mjd obslast;

    explicit RINEXData(RINEXHeader& rheadi);
    RINEXData(const RINEXData&) = delete;
    RINEXData& operator=(const RINEXData&) = delete;

    void RINEXDataReset();
    void SetNRecords(unsigned long ne, unsigned long ns);
    void SetTimeCorr(bool tc) { IfTimeCorr = tc; }
    void SetData();
    long GetNEpoch() const { return nepochall; }
    long GetNObs() const { return nsatall; }
    mjd GetMJD(long i) const { return epoch(i); }
    [[noreturn]] void RINEXDataError(const char* warn);
    void RINEXDataWarning(const char* warn);
    // The observation records of a stream positioned after the header, into the sized tables;
    // used by operator>> after SetData().
    void ReadRecords(std::istream& in);

    // The header types whose tables are sized and filled, one bit per type code (bit tC1 for C1):
    // the fields of the others are passed over while reading. Every type unless set; a reset
    // leaves the choice as it is.
    void KeepTypes(unsigned long types) { keptTypes = types; }
    bool IsKept(unsigned short code) const;
    // The table of a code or phase type (its values with their flags), nullptr for any other.
    const matrix<gnssobs>* FullTable(unsigned short type) const;
    // Test-only switch: every type is kept whatever was chosen, as the reduced reading stands in
    // for.
    static inline bool KeepEveryType = false;

    // Millisecond clock-jump correction of the phases, dual- and single-frequency.
    // The wavelengths of the GLONASS slots are those of their channels; a slot without one
    // is left alone.
    void CorrMSJumps(long& nMSJumps, const GlonassChannels& channels);
    void CorrMSJumpsSF(long& nMSJumps, const GlonassChannels& channels);

  private:
    void StoreEpoch(long e, const std::string& epochLine);
    // Makes the entries of a block of records from r on present in every sized table, just ahead
    // of the reader.
    // Returns the first record not made present.
    long PopulateAhead(long r);
    void RefineInterval(long e);
    // The n satellite records of the current epoch from record r on.
    void ReadRecord2(ObsRecordLines& rec, unsigned short n, long r, std::string& list);
    void ReadRecord3(ObsRecordLines& rec, unsigned short n, long r);
    void StoreObservations3(long r, char system, std::string_view line);
    void ReadSatList(ObsRecordLines& rec, unsigned short n, std::string& list);
    // The observation lines of record r: 5 fields a line, in the order of the header's types.
    void StoreObservations(ObsRecordLines& rec, long r);
    // Field f of a line, from offset at on, into the entry of record r of its type's table.
    void StoreField(const StoredField& f, long r, std::string_view line, std::size_t at);
    // The kept types of the RINEX 2 lines by their place among the header's types (no scaling).
    std::vector<StoredField> keptFields;
    // The next line of the record of the current epoch; the file must not end before it.
    std::string_view NextRecordLine(ObsRecordLines& rec);
    short SatelliteOf(std::string_view id, const std::string& epochLine);
    // Systems met in satellite lines without a types record: each is reported once.
    std::string untyped;
    // Letters of no known system met in satellite identifiers: each is reported once.
    std::string unknown;
    unsigned long FilledTypes() const;
    unsigned long keptTypes = ~0UL;
    unsigned long filledTypes = ~0UL; // the kept types of the file being read
};

std::istream& operator>>(std::istream& in, RINEXData& hd);

#endif
