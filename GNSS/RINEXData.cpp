#include "GNSS/RINEXData.h"

#include "GNSS/RINEXf.h"
#include "GNSS/TimeConverse.h"
#include "GNSS/ymdhms.h"
#include "PROGINC/ProgramError.h"
#include "matrix/UniqList.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

using FullTable = matrix<gnssobs> RINEXData::*;
using ValueTable = matrix<gnssobsshort> RINEXData::*;

// The table of each header type code: codes and phases keep their loss-of-lock and
// signal-strength digits, Dopplers and signal strengths only the value. Band 3 has no table.
// clang-format off
const FullTable FullTables[NObsTypes] = {
    &RINEXData::C1, &RINEXData::P1, &RINEXData::L1, nullptr, nullptr,
    &RINEXData::C2, &RINEXData::P2, &RINEXData::L2, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr,
    &RINEXData::C5, &RINEXData::L5, nullptr, nullptr,
    &RINEXData::C6, &RINEXData::L6, nullptr, nullptr,
    &RINEXData::C7, &RINEXData::L7, nullptr, nullptr,
    &RINEXData::C8, &RINEXData::L8, nullptr, nullptr};
const ValueTable ValueTables[NObsTypes] = {
    nullptr, nullptr, nullptr, &RINEXData::S1, &RINEXData::D1,
    nullptr, nullptr, nullptr, &RINEXData::S2, &RINEXData::D2,
    nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, &RINEXData::D5, &RINEXData::S5,
    nullptr, nullptr, &RINEXData::D6, &RINEXData::S6,
    nullptr, nullptr, &RINEXData::D7, &RINEXData::S7,
    nullptr, nullptr, &RINEXData::D8, &RINEXData::S8};
// clang-format on

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

} // namespace

RINEXData::RINEXData(RINEXHeader& rheadi) : rhead(rheadi) { RINEXDataReset(); }

void RINEXData::RINEXDataReset()
{
    nepochall = 0;
    nsatall = 0;
    IfTimeCorr = false;
    epoch.Resize(0, 0);
    flag.Resize(0, 0);
    nsat.Resize(0, 0);
    sat.Resize(0, 0);
    satList.Resize(0, 0);
    TCorr.Resize(0, 0);
    for (unsigned short code = 0; code < NObsTypes; code++) {
        if (FullTables[code] != nullptr) (this->*FullTables[code]).Resize(0, 0);
        if (ValueTables[code] != nullptr) (this->*ValueTables[code]).Resize(0, 0);
    }
}

void RINEXData::SetNRecords(unsigned long ne, unsigned long ns)
{
    nepochall = static_cast<long>(ne);
    nsatall = static_cast<long>(ns);
}

void RINEXData::SetData()
{
    if (nepochall == 0) RINEXDataError("NUMBER OF EPOCH IN RINEX FILE NOT DETERMINED!");
    // every entry gets a defined value, also those the reading might not reach
    epoch.Resize(nepochall, 1, mjd());
    flag.Resize(nepochall, 1, ' ');
    nsat.Resize(nepochall, 1, 0);
    if (IfTimeCorr) TCorr.Resize(nepochall, 1, 0);
    if (nsatall == 0) RINEXDataError("NUMBER OF OBSERVATIONS IN RINEX FILE NOT DETERMINED!");
    sat.Resize(nsatall, 1, 0);
    for (unsigned short k = 0; k < rhead.nobs; k++) {
        unsigned short code = rhead.obs(k);
        if (code >= NObsTypes) continue;
        if (FullTables[code] != nullptr) (this->*FullTables[code]).Resize(nsatall, 1, gnssobs());
        if (ValueTables[code] != nullptr) (this->*ValueTables[code]).Resize(nsatall, 1, gnssobsshort());
    }
}

void RINEXData::RINEXDataError(const char* warn)
{
    ClassFrame("####", "RINEXData", "Error", warn, "Exiting RINEXData", false);
    ExitProgram();
}

void RINEXData::ReadRecords(std::istream& in)
{
    matrix<short> present(NSatNumbers, 1, 0);
    ObsRecordLines rec(in);
    std::string list, text, line; // reused for every record: no allocation per line
    long e = 0;
    long r = 0;
    while (rec.NextEpoch()) {
        const std::string& epochLine = rec.EpochLine();
        unsigned short n = EpochCount(epochLine);
        if (e >= nepochall || r + n > nsatall)
            RINEXDataError("RINEX FILE HOLDS MORE EPOCHS OR RECORDS THAN COUNTED!");
        StoreEpoch(e, epochLine);
        ReadSatList(rec, n, list, line);
        for (unsigned short p = 0; p < n; p++, r++) {
            ReadObsText(rec, text, line);
            sat(r) = SatelliteOf(list, p, epochLine);
            present(sat(r)) = sat(r);
            StoreObservations(r, text);
        }
        e++;
    }
    // the first distinct value is the 0 of the satellites that never occurred
    matrix<short> distinct = UniqList(present);
    satList.Resize(distinct.NRow() - 1);
    for (long i = 1; i < distinct.NRow(); i++) satList(i - 1) = distinct(i);
    if (!rhead.iC1 && rhead.iP1) {
        C1 = P1;
        rhead.iC1 = true;
    }
}

void RINEXData::StoreEpoch(long e, const std::string& epochLine)
{
    unsigned short yr = 0, mon = 0, day = 0, hh = 0, mm = 0, n = 0;
    long double sec = 0;
    ParseFirstObsLine(epochLine.c_str(), yr, mon, day, hh, mm, sec, n);
    ymdhms date;
    date.Set(yr, mon, day, hh, mm, sec);
    epoch(e) = ymdhms2mjd(date);
    nsat(e) = static_cast<short>(n);
    flag(e) = EpochFlag(epochLine);
    obslast = epoch(e);
    // receiver clock offset, F12.9 in columns 69-80
    if (IfTimeCorr) TCorr(e) = ColumnsNum(epochLine, 69, 12);
    if (e > 0) RefineInterval(e);
}

void RINEXData::RefineInterval(long e)
{
    // seconds of day, so that a step across midnight never lowers the interval
    float d = static_cast<float>(std::fabs(epoch(e).GetSecond() - epoch(e - 1).GetSecond()));
    // two epochs at the same time say nothing about the spacing; a header interval of 0 says
    // nothing either
    if (d == 0) return;
    if (rhead.GetInterval() <= 0 || rhead.GetInterval() > d) rhead.SetInterval(d);
}

void RINEXData::ReadSatList(ObsRecordLines& rec, unsigned short n, std::string& list,
                            std::string& line)
{
    // 12 identifiers of 3 characters on the epoch line from column 33, 12 more on each
    // continuation line
    list.clear();
    AppendColumns(list, rec.EpochLine(), 33, 3U * std::min<unsigned short>(n, 12));
    for (unsigned k = SatListLines(n); k > 0; k--) {
        NextRecordLine(rec, line);
        AppendColumns(list, line, 33, 36);
    }
}

void RINEXData::ReadObsText(ObsRecordLines& rec, std::string& text, std::string& line)
{
    // 5 observations of 16 characters a line; each line blank-filled to 80 columns, so that
    // observation k stands at 16k of the text
    text.clear();
    for (unsigned k = ObsLines(rhead.nobs); k > 0; k--) {
        NextRecordLine(rec, line);
        FillObsLine(line, 5);
        text += line;
    }
}

void RINEXData::NextRecordLine(ObsRecordLines& rec, std::string& line)
{
    if (!rec.NextLine(line)) RINEXDataError(TruncatedRecordText(rec.EpochLine().c_str()).c_str());
}

short RINEXData::SatelliteOf(const std::string& list, unsigned short p, const std::string& epochLine)
{
    // system letter, tens digit (blank for 0), units digit
    std::string_view id = Columns(list, 3U * p + 1, 3);
    if (!(id[1] == ' ' || IsDigit(id[1])) || !IsDigit(id[2]))
        RINEXDataError(("SATELLITE IDENTIFIER \"" + std::string(id) + "\" OF EPOCH " +
                        EpochText(epochLine.c_str()) + " IS NOT VALID!")
                           .c_str());
    int tens = id[1] == ' ' ? 0 : id[1] - '0';
    return RinexSatNumber(id[0], 10 * tens + (id[2] - '0'));
}

void RINEXData::StoreObservations(long r, const std::string& text)
{
    for (unsigned short k = 0; k < rhead.nobs; k++) {
        unsigned short code = rhead.obs(k);
        if (code >= NObsTypes) continue;
        const char* field = Columns(text, 16U * k + 1, 16).data();
        if (FullTables[code] != nullptr)
            (this->*FullTables[code])(r) >> field;
        else if (ValueTables[code] != nullptr)
            (this->*ValueTables[code])(r) >> field;
    }
}

void RINEXData::CorrMSJumps(long& nMSJumps) { nMSJumps = 0; }

void RINEXData::CorrMSJumpsSF(long& nMSJumps) { nMSJumps = 0; }

std::istream& operator>>(std::istream& in, RINEXData& hd)
{
    hd.SetData();
    hd.ReadRecords(in);
    return in;
}
