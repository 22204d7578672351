// Line functions of the RINEX 2 observation reader.
#ifndef KESTROVA_GNSS_RINEXF_H
#define KESTROVA_GNSS_RINEXF_H

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>

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
void ParseFirstObsLine(const char* niz, unsigned short& yr, unsigned short& mon, unsigned short& day,
                       unsigned short& hh, unsigned short& mm, long double& sec,
                       unsigned short& nobs);
// Pads obsline with blanks to nobs x 16 characters and ends it there; obsline must hold
// at least nobs x 16 + 1 characters.
void FillObsLine(char* obsline, unsigned short nobs);
void FillObsLine(std::string& obsline, unsigned short nobs);

// The flag (column 29) and the count (columns 31-32) of an epoch line. The count is the number
// of satellites of an observation epoch and the number of special records of an event.
char EpochFlag(std::string_view epochLine);
unsigned short EpochCount(std::string_view epochLine);
// Flags 2 to 5 are events (antenna moving, new occupation, header information, external event);
// 0, 1 and 6 are observation epochs.
bool IsEventFlag(char flag);

// Lines of an epoch record after the epoch line: satellite-list continuation lines (12 satellites
// a line, the epoch line included) and observation lines per satellite (5 observations a line).
unsigned SatListLines(unsigned nsat);
unsigned ObsLines(unsigned nobs);

// "yyyy-mm-dd hh:mm:ss.sssssss" of an epoch line, for messages.
std::string EpochText(const char* epochLine);
// The message of a file that ends inside the record of this epoch line.
std::string TruncatedRecordText(const char* epochLine);

// The observation records of a RINEX 2 file, met line by line after the header. The counting
// pass and the reading pass both walk the file with it, so that they see the same epochs.
class ObsRecordLines {
  public:
    explicit ObsRecordLines(std::istream& input) : in(input) {}
    // On to the next observation epoch line, passing over lines that are not epoch lines and
    // event records with their special records. False at the end of the input.
    bool NextEpoch();
    const std::string& EpochLine() const { return epochLine; }
    // The next line of the current record; false at the end of the input.
    bool NextLine(std::string& line);

  private:
    std::istream& in;
    std::string epochLine;
};

// Satellite numbers of RINEX identifiers: G or blank nn, R 100 + nn, E 200 + nn, C 300 + nn,
// S 400 + nn, J 500 + nn and any other letter 600 + nn, so that no foreign satellite is ever
// mixed with GPS. Presence tables indexed by these numbers hold NSatNumbers entries.
inline constexpr int NSatNumbers = 700;
short RinexSatNumber(char letter, int nn);

#endif
