// SPDX-License-Identifier: BSD-2-Clause
// Line functions of the observation reader: RINEX 2 records, and the RINEX 3 and 4 records that
// begin with '>'.
#ifndef KESTROVA_GNSS_RINEXF_H
#define KESTROVA_GNSS_RINEXF_H

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

// Fixed-column fields, columns counted from 1. Every field of a RINEX line is cut here: a field
// that runs past the end of the line is cut there, one that starts beyond it is empty.
std::string_view Columns(std::string_view line, std::size_t first, std::size_t width);
// One column; a blank beyond the end of the line.
char Column(std::string_view line, std::size_t col);
// A field as atoi and atof read it: leading blanks skipped, stop at the first character that
// does not fit, 0 when empty. The integer is held within the range of long.
long ColumnsInt(std::string_view line, std::size_t first, std::size_t width);
double ColumnsNum(std::string_view line, std::size_t first, std::size_t width);
bool IsBlank(std::string_view text);
// Appends a field to out, blank-filled to its width, so that the fields after it keep their
// places when the line is short.
void AppendColumns(std::string& out, std::string_view line, std::size_t first, std::size_t width);

// The epoch-line test: the fixed RINEX 2 epoch layout followed by the flag and count columns.
bool IsFirstObsLine(const char* niz);
void ParseFirstObsLine(const char* niz, unsigned short& yr, unsigned short& mon,
                       unsigned short& day, unsigned short& hh, unsigned short& mm,
                       long double& sec, unsigned short& nobs);
// The RINEX 3 and 4 epoch-line test: '>', then " yyyy mm dd hh mm ss.sssssss", the flag in
// column 32 and the count in columns 33-35. An event (flags 2-5) may leave its date blank.
bool IsEpochLine3(std::string_view line);
void ParseEpochLine3(std::string_view line, unsigned short& yr, unsigned short& mon,
                     unsigned short& day, unsigned short& hh, unsigned short& mm, long double& sec);
// An epoch line of either form, parsed by the layout its first column tells: '>' for RINEX 3
// and 4, a blank for RINEX 2.
bool IsEpochLine3Form(std::string_view epochLine);
void ParseEpochLine(const char* epochLine, unsigned short& yr, unsigned short& mon,
                    unsigned short& day, unsigned short& hh, unsigned short& mm, long double& sec);
// The receiver clock offset of an epoch line (RINEX 2: columns 69-80; RINEX 3 and 4: the F15.12
// after the count, columns 42-56, read from column 36 on so that a count written one column
// short does not cut its sign), and whether the line reaches that far.
bool CarriesClockOffset(std::string_view epochLine);
long double ClockOffset(std::string_view epochLine);
// The flag (RINEX 2: column 29; RINEX 3 and 4: column 32) and the count (columns 31-32;
// columns 33-35) of an epoch line. The count is the number of satellites of an observation
// epoch and the number of special records of an event.
char EpochFlag(std::string_view epochLine);
unsigned short EpochCount(std::string_view epochLine);
// Flags 2 to 5 are events (antenna moving, new occupation, header information, external event);
// 0, 1 and 6 are observation epochs.
bool IsEventFlag(char flag);

// Lines of an epoch record after the epoch line: satellite-list continuation lines (12 satellites
// a line, the epoch line included) and observation lines per satellite (5 observations a line).
unsigned SatListLines(unsigned nsat);
unsigned ObsLines(unsigned nobs);
// The column where the 16-character field k of the observations of a RINEX 3 or 4 satellite
// line begins (field 0: column 4, after the satellite identifier).
inline std::size_t FieldColumn3(std::size_t k) { return 4 + 16 * k; }

// "yyyy-mm-dd hh:mm:ss.sssssss" of an epoch line, for messages.
std::string EpochText(const char* epochLine);
// The message of a file that ends inside the record of this epoch line, without its ending.
std::string TruncatedRecordText(const char* epochLine);

// The observation records of a RINEX file, met line by line after the header.
class ObsRecordLines {
  public:
    // rinex3: the records of a RINEX 3 or 4 file (epoch lines beginning with '>').
    explicit ObsRecordLines(std::istream& input, bool rinex3 = false) : in(input), v3(rinex3) {}
    // On to the next observation epoch line, passing over lines that are not epoch lines and
    // event records with their special records. False at the end of the input.
    bool NextEpoch();
    const std::string& EpochLine() const { return epochLine; }
    // The next line of the current record, false at the end of the input: a view valid until the
    // next call (for a text read into memory, as long as the text). The lines of a record taken
    // whole come first, valid until the next epoch.
    bool NextLine(std::string_view& line);
    // The lines of the current record after its epoch line: n satellites of nobs types each in
    // RINEX 2; one line a satellite in RINEX 3 and 4.
    unsigned long RecordLines(unsigned short n, unsigned nobs) const;
    // Takes the lines of the current record of n satellites (RecordLines) before any is read:
    // false when the input ends inside it, so that a record the file is cut in is left out
    // whole. NextLine then hands them out.
    bool TakeRecord(unsigned short n, unsigned nobs);

  private:
    std::istream& in;
    bool v3;
    std::string epochLine;
    std::string store;  // the line of an input that is not read into memory
    std::string copies; // the lines of a record taken from such an input
    std::vector<std::string_view> held;
    std::size_t nextHeld = 0;
};

#endif
