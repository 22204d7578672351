// SPDX-License-Identifier: BSD-2-Clause
#include "teqc/CompactTEQC.h"

#include "GNSS/RINEXf.h"
#include "GNSS/SatSystem.h"
#include "PROGINC/ParseArgument.h"
#include "PROGINC/ProgramError.h"
#include "PROGINC/cfilef.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>

namespace {

// A satellite identifier is a blank, the system letter, the tens digit (blank for 0) and the
// units digit; a value field is 10 characters, whose 9th marks a slip when it is blank.
constexpr std::size_t SatWidth = 4;
constexpr std::size_t ValueWidth = 10;
constexpr std::size_t SlipColumn = 8;
// The per-epoch counter holds no more satellites than this.
constexpr long MaxRecordSats = std::numeric_limits<unsigned short>::max();
// A longer step is no sampling interval of a multipath series; it would also carry the epochs,
// stepped once per record, out of the range of a day number.
constexpr double MaxInterval = 86400;

bool IsBlankLine(const std::string& line)
{
    return line.find_first_not_of(" \t\v\f\r") == std::string::npos;
}

// Reads on from line (itself included) to the first line that contains key and gives that line
// from the column behind the keyword, where the keyword stands at the start of a header line; a
// file that ends first stops the run with missing.
std::string FindLine(std::istream& in, std::string& line, const char* key, const char* missing)
{
    while (line.find(key) == std::string::npos)
        if (!ReadLine(in, line)) ProgramError(ProgName, missing);
    return line.substr(std::strlen(key));
}

// Value field i of a values line. False, with value 0, when the field starts beyond the end of
// the line or holds no finite number. Characters beyond the line read as blanks.
bool ReadValue(const std::string& line, long i, double& value, bool& slip)
{
    std::size_t pos = ValueWidth * static_cast<std::size_t>(i);
    value = 0;
    slip = true;
    if (pos >= line.size()) return false;
    std::string field = line.substr(pos, ValueWidth);
    slip = field.size() <= SlipColumn || field[SlipColumn] == ' ';
    double v = std::strtod(field.c_str(), nullptr);
    if (!std::isfinite(v)) return false;
    value = v;
    return true;
}

// The data records of a COMPACT2 file in the order of the file. Both passes walk the file with
// this one reader, so that they take the same records with the same satellite counts.
class RecordReader {
  public:
    explicit RecordReader(std::istream& ini) : in(ini) {}
    // The next record: its count line and, for any count but 0, its values line. False at the
    // end of the file and at a count that is not a whole number: the data ends there.
    bool Next();
    // Every record but one with count 0 is an epoch, even a negative count before any positive
    // one (an epoch without values).
    bool IsEpoch() const { return count != 0; }
    long NSat() const { return nsatr; }
    // Satellite number of satellite i of the record; 0 when its identifier cannot be read.
    unsigned short Sat(long i) const;
    const std::string& Values() const { return values; }
    // Some count named more satellites than its line holds.
    bool Cut() const { return cut; }

  private:
    std::istream& in;
    long count = 0;
    std::string sats; // satellite text of the last record with a positive count
    long nsatr = 0;   // its number of satellites
    std::string values;
    bool cut = false;

    bool ReadCount(std::string& rest);
};

// Blank lines before a count are skipped, as a stream number would skip them, but a count is
// never looked for beyond its own line.
bool RecordReader::ReadCount(std::string& rest)
{
    std::string line;
    while (ReadLine(in, line)) {
        if (IsBlankLine(line)) continue;
        const char* begin = line.c_str();
        char* end = nullptr;
        errno = 0;
        long n = std::strtol(begin, &end, 10);
        if (end == begin || errno == ERANGE || n < std::numeric_limits<int>::min() ||
            n > std::numeric_limits<int>::max())
            return false;
        count = n;
        rest = line.substr(static_cast<std::size_t>(end - begin));
        return true;
    }
    return false;
}

bool RecordReader::Next()
{
    std::string rest;
    if (!ReadCount(rest)) return false;
    if (count > 0) {
        // A count beyond the identifiers of its line takes the identifiers there are.
        long held = static_cast<long>((rest.size() + SatWidth - 1) / SatWidth);
        nsatr = std::min({count, held, MaxRecordSats});
        cut = cut || nsatr < count;
        sats = rest;
    }
    values.clear();
    if (IsEpoch()) ReadLine(in, values); // at the end of the file every value is missing
    return true;
}

unsigned short RecordReader::Sat(long i) const
{
    std::size_t pos = SatWidth * static_cast<std::size_t>(i) + 1;
    auto at = [this](std::size_t k) { return k < sats.size() ? sats[k] : ' '; };
    const short s = SatOfId(std::string{at(pos), at(pos + 1), at(pos + 2)});
    return s == NoSatellite ? 0 : static_cast<unsigned short>(s);
}

} // namespace

namespace {
const char* const NoFile = "TEQC COMPACT FILE DOES NOT EXISTS!";
}

CompactTEQC::CompactTEQC() : compfile{}, nobs(0), neph(0), version(0), interval(0) {}

void CompactTEQC::SetFile(const char* file)
{
    ParseFileName(file, compfile, 0, sizeof compfile);
    input.Clear();
    if (!CanRead(compfile)) ProgramError(ProgName, NoFile);
}

std::unique_ptr<std::istream> CompactTEQC::Open()
{
    if (!input.IsLoaded() && !input.Load(compfile, "TEQC COMPACT FILE"))
        ProgramError(ProgName, NoFile);
    return input.Stream();
}

void CompactTEQC::ReadFile()
{
    CheckData();
    SetData();
    ReadData();
}

mjd CompactTEQC::ReadHeader(std::istream& in)
{
    std::string line;
    ReadLine(in, line);
    if (line.find("COMPACT2") == std::string::npos)
        ProgramError(ProgName, "TEQC COMPACT FILE IS NOT WRITTEN IN VERSION COMPACT2!");
    version = 2;
    std::string text = FindLine(in, line, "T_SAMP", "TEQC COMPACT FILE HAS NO T_SAMP LINE!");
    double dt = std::strtod(text.c_str(), nullptr);
    if (!(std::fabs(dt) <= MaxInterval))
        ProgramError(ProgName,
                     "TEQC COMPACT FILE HAS NO VALID SAMPLING INTERVAL IN ITS T_SAMP LINE!");
    interval = static_cast<float>(dt);
    text = FindLine(in, line, "START_TIME_MJD",
                    "TEQC COMPACT FILE HAS NO START_TIME_MJD LINE AFTER ITS T_SAMP LINE!");
    mjd start;
    start = std::strtold(text.c_str(), nullptr);
    return start;
}

void CompactTEQC::CheckData()
{
    std::unique_ptr<std::istream> stream = Open();
    std::istream& in = *stream;
    ReadHeader(in);
    nobs = 0;
    neph = 0;
    RecordReader rec(in);
    while (rec.Next()) {
        if (!rec.IsEpoch()) continue;
        nobs += rec.NSat();
        neph += 1;
    }
}

void CompactTEQC::SetData()
{
    nsat.Resize(neph);
    eph.Resize(neph);
    obs.Resize(nobs);
    sat.Resize(nobs);
    slip.Resize(nobs);
    iobs.Resize(nobs);
}

void CompactTEQC::ReadData()
{
    std::unique_ptr<std::istream> stream = Open();
    std::istream& in = *stream;
    mjd epht = ReadHeader(in);
    RecordReader rec(in);
    long i1 = 0;
    long ieph = 0;
    bool missing = false;
    // Every record stands for one sampling step, whether it is an epoch or not.
    for (; rec.Next(); epht += interval) {
        if (!rec.IsEpoch()) continue;
        eph(ieph) = epht;
        nsat(ieph) = static_cast<unsigned short>(rec.NSat());
        for (long i = 0; i < rec.NSat(); i++) {
            long k = i1 + i;
            sat(k) = rec.Sat(i);
            iobs(k) = ReadValue(rec.Values(), i, obs(k), slip(k)) && sat(k) != 0;
            missing = missing || !iobs(k);
        }
        i1 += rec.NSat();
        ieph += 1;
    }
    if (missing || rec.Cut()) {
        std::string warn =
            std::string("TEQC COMPACT FILE HAS MISSING OR UNREADABLE MULTIPATH VALUES, "
                        "THEY ARE NOT REMOVED -> ") +
            compfile;
        ProgramWarning(ProgName, warn.c_str());
    }
    SetSatList();
}

// The distinct satellites of the file, ascending; 0 (no readable identifier) is none.
void CompactTEQC::SetSatList()
{
    matrix<bool> seen(NSatNumbers, 1, false);
    long n = 0;
    for (long k = 0; k < nobs; k++) {
        if (sat(k) == 0 || seen(sat(k))) continue;
        seen(sat(k)) = true;
        n += 1;
    }
    satList.Resize(n);
    long m = 0;
    for (int s = 1; s < NSatNumbers; s++)
        if (seen(s)) satList(m++) = static_cast<unsigned short>(s);
}
