// SPDX-License-Identifier: BSD-2-Clause
// RINEXData: every observation of one RINEX file, one satellite record per satellite and
// epoch, stored flat epoch after epoch; and the reader of the observation records (RINEX 2, and
// RINEX 3 and 4 with their fields stored under the two-letter types the header maps them to).
#ifndef KESTROVA_GNSS_RINEXDATA_H
#define KESTROVA_GNSS_RINEXDATA_H

#include "GNSS/RINEXHeader.h"
#include "GNSS/ReadRequest.h"
#include "GNSS/SignalStore.h"
#include "GNSS/gnssobs.h"
#include "GNSS/gnssobsshort.h"
#include "GNSS/mjd.h"
#include "matrix/matrix.h"

#include <array>
#include <istream>
#include <optional>
#include <string>
#include <vector>

class ObsRecordLines;

struct GlonassChannels;

// What the removal of the receiver clock's millisecond jumps did, by epoch index: the epochs whose
// phases it corrected by a step of their own (the count -ms reports), and the epochs at which the
// clock jumped. The two differ for the single-frequency test: while the codes stay off after a
// jump it corrects every epoch, against the corrected one before it.
struct ClockJumpRemoval {
    std::vector<long> corrected, jumps;
};

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
    RINEXHeader& rhead;
    mjd obslast;
    // The types whose tables hold values: the file's types stored, and the stand-ins made. A
    // table of a type not present is empty.
    ObsTypeSet present;
    // The smallest spacing of consecutive epochs read, by second of day (0: none).
    float spacing = 0;
    // Every signal of the file under its own name, where the reading was asked for them
    // (prepared before ReadRecords); empty otherwise.
    SignalStore signals;

    explicit RINEXData(RINEXHeader& rheadi);
    RINEXData(const RINEXData&) = delete;
    RINEXData& operator=(const RINEXData&) = delete;

    void RINEXDataReset();
    // Room for ne epochs and ns records before the tables first grow (the reading counts them).
    void SetNRecords(unsigned long ne, unsigned long ns);
    void SetTimeCorr(bool tc) { IfTimeCorr = tc; }
    // Sets up the tables of the header's types among stored (and empties the others).
    void SetData(const ObsTypeSet& stored = EveryType());
    long GetNEpoch() const { return nepochall; }
    long GetNObs() const { return nsatall; }
    mjd GetMJD(long i) const { return epoch(i); }
    [[noreturn]] void RINEXDataError(const char* warn);
    void RINEXDataWarning(const char* warn);
    // The observation records of a stream positioned after the header, in one pass: the tables
    // grow as they are filled, and the epochs and records read are counted (nepochall,
    // nsatall). Whether the epoch lines carry clock offsets is told by the first. Used by
    // operator>> after SetData().
    void ReadRecords(std::istream& in);
    // Refuses a store without an epoch or without a record.
    void RequireRecords();
    // The epoch line of the record the file ends inside, left out; empty when the file holds
    // every record it begins.
    std::string cutEpoch;

    // The table of type t (a row of the type table): Table for codes and phases, with their
    // flags; ShortTable for Dopplers and strengths.
    matrix<gnssobs>& Table(unsigned short t) { return tables[t].full; }
    const matrix<gnssobs>& Table(unsigned short t) const { return tables[t].full; }
    matrix<gnssobsshort>& ShortTable(unsigned short t) { return tables[t].value; }
    const matrix<gnssobsshort>& ShortTable(unsigned short t) const { return tables[t].value; }
    // The table of a code or phase type, nullptr for any other type (tUnknown included).
    const matrix<gnssobs>* FullTable(unsigned short t) const;
    bool Has(unsigned short t) const { return t < NObsTypes && present[t]; }
    // The values of s.by copied into the table of s.missing, which is then present where s.by is.
    void MakeStandIn(const StandIn& s);

    // Millisecond clock-jump correction of the phases, dual- and single-frequency.
    // The wavelengths of the GLONASS slots are those of their channels; a slot without one
    // is left alone.
    ClockJumpRemoval CorrMSJumps(const GlonassChannels& channels);
    ClockJumpRemoval CorrMSJumpsSF(const GlonassChannels& channels);
    // The rule of -ms: the test of both frequencies where the file has L2, else the
    // single-frequency test of the code against the phase of L1. None where the file lacks a
    // type the chosen test reads (nothing could be found).
    std::optional<ClockJumpRemoval> RemoveClockJumps(const GlonassChannels& channels);
    // The receiver clock jump at each epoch (m, whole light-milliseconds; 0 at the first and
    // where none), as CorrMSJumps finds them from the data as they stand: the rule of -ms.
    std::vector<long double> MSJumps(const GlonassChannels& channels) const;

  private:
    void StoreEpoch(long e, const std::string& epochLine);
    // Makes the entries of a block of records from r on present in every sized table, just ahead
    // of the reader.
    // Returns the first record not made present.
    long PopulateAhead(long r);
    // Room in the tables for epoch e, and for the records before r.
    void GrowEpochs(long e);
    void GrowRecords(long r);
    // The tables cut to the epochs and records read.
    void TrimTables();
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
    // One table per row of the type table; only the one of the row's kind is ever sized.
    struct ObsTable {
        matrix<gnssobs> full;
        matrix<gnssobsshort> value;
    };
    std::array<ObsTable, NObsTypes> tables;
};

// Every type of the header stored (SetData()), then the records read.
std::istream& operator>>(std::istream& in, RINEXData& hd);

#endif
