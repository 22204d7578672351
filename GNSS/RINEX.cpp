#include "GNSS/RINEX.h"

#include "GNSS/RINEXf.h"
#include "PROGINC/ProgramError.h"
#include "PROGINC/cfilef.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

RINEX::RINEX(RINEXHeader& rheadi, RINEXData& rdatai)
    : rinexfile{}, rhead(rheadi), rdata(rdatai), nepoch(0), nobsall(0), IsTimeCorr(false)
{
}

void RINEX::SetFile(const char* file)
{
    std::strncpy(rinexfile, file, sizeof rinexfile - 1);
    if (!FileExists(rinexfile)) RINEXError("RINEX FILE CAN NOT BE OPENED!");
}

namespace {

// A stream over text held in memory, without a copy of it.
class TextStream : public std::istream {
  public:
    explicit TextStream(std::string& text) : std::istream(nullptr), buf(text) { rdbuf(&buf); }

  private:
    struct Buf : std::streambuf {
        explicit Buf(std::string& t) { setg(t.data(), t.data(), t.data() + t.size()); }
    } buf;
};

// A gzip or compress file, a Hatanaka-compressed file, a RINEX 3 file or a file that is not an
// observation file would only meet a less helpful error of the readers (or none at all): the
// magic bytes, the first line and the "RINEX VERSION / TYPE" line tell them apart at once.
bool IsReadableKind(std::istream& in)
{
    std::string line;
    if (!ReadLine(in, line)) return true;  // an empty file has its own error
    if (line.size() >= 2 && line[0] == '\x1f' && (line[1] == '\x8b' || line[1] == '\x9d'))
        return false;
    if (line.find("COMPACT RINEX") != std::string::npos) return false;
    // the version line stands first; a header without it leaves the rest to the header reader
    for (int k = 0; k < 100; k++) {
        if (line.find("END OF HEADER") != std::string::npos) return true;
        if (line.find("RINEX VERSION / TYPE") != std::string::npos)
            return ColumnsNum(line, 1, 9) < 3 && Column(line, 21) == 'O';
        if (!ReadLine(in, line)) return true;
    }
    return true;
}

} // namespace

std::unique_ptr<std::istream> RINEX::OpenInput()
{
    std::error_code ec;
    if (!isOnce && std::filesystem::is_regular_file(rinexfile, ec))
        return std::make_unique<std::ifstream>(rinexfile);
    // A pipe gives its text once: the counting pass would leave nothing for the reading pass.
    if (!isOnce) {
        std::ifstream in(rinexfile, std::ios::binary);
        onceText.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        isOnce = true;
    }
    return std::make_unique<TextStream>(onceText);
}

void RINEX::ReadFile()
{
    {
        std::unique_ptr<std::istream> in = OpenInput();
        if (!IsReadableKind(*in))
            RINEXError("ONLY UNCOMPRESSED RINEX 2 OBSERVATION FILES ARE READ!");
    }
    rdata.RINEXDataReset();
    rhead.RINEXHeaderReset();
    CountRec();
    rdata.SetNRecords(nepoch, nobsall);
    rdata.SetTimeCorr(IsTimeCorr);
    {
        std::unique_ptr<std::istream> in = OpenInput();
        *in >> rhead >> rdata;
    }
    // the times of the data replace those the header states
    rhead.obsfirst = rdata.epoch(0);
    rhead.obslast = rdata.obslast;
    if (rhead.obslastts[0] == '\0') std::strcpy(rhead.obslastts, "GPS");
    if (rhead.obsfirstts[0] == '\0') std::strcpy(rhead.obsfirstts, "GPS");
    // epochs a few milliseconds off the grid leave an interval just beside a whole second
    float whole = std::round(rhead.interval);
    if (std::fabs(rhead.interval - whole) < 0.005f) rhead.interval = whole;
}

void RINEX::CountRec()
{
    nepoch = 0;
    nobsall = 0;
    IsTimeCorr = false;
    std::unique_ptr<std::istream> input = OpenInput();
    std::istream& in = *input;
    // the number of types, read by the header reader itself so that both passes size the
    // records alike; its warnings belong to the reading pass
    RINEXHeader types;
    types.quiet = true;
    in >> types;
    ObsRecordLines rec(in);
    std::string line;
    while (rec.NextEpoch()) {
        unsigned short n = EpochCount(rec.EpochLine());
        // only the first epoch line tells whether the epoch lines carry clock offsets
        if (nepoch == 0) IsTimeCorr = rec.EpochLine().size() > 69;
        nepoch++;
        nobsall += n;
        for (unsigned long k = SatListLines(n) + n * static_cast<unsigned long>(ObsLines(types.nobs));
             k > 0; k--)
            if (!rec.NextLine(line)) RINEXError(TruncatedRecordText(rec.EpochLine().c_str()).c_str());
    }
}

void RINEX::copyC2toP2()
{
    if (rhead.HasP2() || !rhead.HasC2()) return;
    rdata.P2 = rdata.C2;
    rhead.iP2 = true;
}

void RINEX::RINEXError(const char* warn)
{
    ClassFrame("####", "RINEX", "Error", warn, "Exiting RINEX", false);
    ExitProgram();
}
