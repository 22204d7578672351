// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/RINEX.h"

#include "GNSS/CompactRINEX.h"
#include "GNSS/RINEXf.h"
#include "GNSS/SignalMap.h"
#include "PROGINC/ProgramError.h"
#include "PROGINC/cfilef.h"
#include "PROGINC/cstringf.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

namespace {
const char* const CantOpen = "RINEX FILE CAN NOT BE OPENED!";
}

RINEX::RINEX(RINEXHeader& rheadi, RINEXData& rdatai)
    : rinexfile{}, rhead(rheadi), rdata(rdatai), nepoch(0), nobsall(0), IsTimeCorr(false)
{
}

void RINEX::SetFile(const char* file)
{
    // a file already read for a look at its header is not read again (it may be a pipe)
    const bool again = headerSeen && input.IsLoaded() && std::strcmp(rinexfile, file) == 0;
    headerSeen = false;
    std::strncpy(rinexfile, file, sizeof rinexfile - 1);
    if (again) return;
    input.Clear();
    if (!CanRead(rinexfile)) RINEXError(CantOpen);
}

namespace {

// The observation versions the readers take: RINEX 2, 3.00-3.05 and 4.00-4.02.
bool IsReadVersion(double version)
{
    const long v = std::lround(version * 100);
    return v < 300 || (v >= 300 && v <= 305) || (v >= 400 && v <= 402);
}

// What the file is when it is not an observation file the readers take: a Compact RINEX file, a
// navigation file, a later RINEX version... would only meet a less helpful error of the readers
// (or none at all). The first line and the "RINEX VERSION / TYPE" line tell them apart; empty for
// a file the readers take (a header without a version line is left to the header reader).
std::string FileKindFound(std::istream& in)
{
    std::string line;
    if (!ReadLine(in, line)) return ""; // an empty file has its own error
    if (line.find("COMPACT RINEX") != std::string::npos)
        return "COMPACT RINEX " + std::string(Trimmed(std::string_view(line).substr(0, 20)));
    for (int k = 0; k < 100; k++) {
        if (line.find("END OF HEADER") != std::string::npos) return "";
        if (line.find("RINEX VERSION / TYPE") != std::string::npos) {
            if (IsReadVersion(ColumnsNum(line, 1, 9)) && Column(line, 21) == 'O') return "";
            line.resize(60, ' ');
            return "RINEX " + std::string(Trimmed(std::string_view(line).substr(0, 20))) + " " +
                   std::string(Trimmed(std::string_view(line).substr(20, 20)));
        }
        if (!ReadLine(in, line)) return "";
    }
    return "";
}

} // namespace

std::unique_ptr<std::istream> RINEX::OpenInput()
{
    LoadInput();
    return input.Stream();
}

void RINEX::LoadInput()
{
    // a Compact RINEX file is turned back into the RINEX text it was made from
    if (!input.IsLoaded() && !input.Load(rinexfile, "RINEX FILE", true, &CompactRINEXText, true))
        RINEXError(CantOpen);
}

namespace {

// Epochs a few milliseconds off the grid leave an interval just beside a whole second.
float SnappedInterval(float interval)
{
    const float whole = std::round(interval);
    return std::fabs(interval - whole) < 0.005f ? whole : interval;
}

// The header's interval, unless the data are spaced closer.
float IntervalOf(float header, float spacing)
{
    if (spacing <= 0) return header;
    return header <= 0 || header > spacing ? spacing : header;
}

std::string TimeSystemOf(const char* header) { return header[0] == '\0' ? "GPS" : header; }

} // namespace

const StandIn* ReadFacts::StandInFor(RINEXObsType t) const
{
    for (const StandIn& s : standIns)
        if (s.missing == t) return &s;
    return nullptr;
}

const ReadFacts& RINEX::ReadFile(const ReadRequest& request)
{
    {
        std::unique_ptr<std::istream> in = OpenInput();
        const std::string found = FileKindFound(*in);
        if (!found.empty())
            RINEXError(
                ("ONLY RINEX 2, 3.00-3.05 AND 4.00-4.02 OBSERVATION FILES ARE READ - THIS IS " +
                 found + "!")
                    .c_str());
    }
    rdata.RINEXDataReset();
    rhead.RINEXHeaderReset();
    {
        // one pass over the header and the records, the tables growing as they are filled: a
        // decompressed or decoded text goes back to the system behind the reader
        LoadInput();
        std::unique_ptr<std::istream> in = input.LastStream();
        ReadHeader(*in, rhead);
        if (rhead.IsRinex3()) MapSignals(rhead, request);
        rhead.WriteWarnings();
        const ObsTypeSet forPosition = rhead.GivesPosition() ? ObsTypeSet() : request.positionTypes;
        rdata.SetData(TypesStored(rhead, request.types | forPosition));
        if (request.everySignal) rdata.signals.Prepare(rhead);
        rdata.ReadRecords(*in);
    }
    nepoch = static_cast<unsigned long>(rdata.nepochall);
    nobsall = static_cast<unsigned long>(rdata.nsatall);
    IsTimeCorr = rdata.IfTimeCorr;
    WarnIfCut();
    // the store's own error follows: it names the count, this names the file
    if (nepoch == 0)
        RINEXWarning(
            ("RINEX FILE " + std::string(rinexfile) + " HOLDS NO OBSERVATION EPOCH!").c_str());
    rdata.RequireRecords();
    facts = ReadFacts();
    facts.first = rdata.epoch(0);
    facts.last = rdata.obslast;
    facts.firstTimeSystem = TimeSystemOf(rhead.obsfirstts);
    facts.lastTimeSystem = TimeSystemOf(rhead.obslastts);
    facts.interval = SnappedInterval(IntervalOf(rhead.interval, rdata.spacing));
    facts.standIns = StandInsOf(rhead);
    return facts;
}

// One warning for a file that ends early: it names the epoch cut, if the cut falls inside one.
void RINEX::WarnIfCut()
{
    const std::string& cutShort = input.CutShort();
    if (!rdata.cutEpoch.empty())
        RINEXWarning((TruncatedRecordText(rdata.cutEpoch.c_str()) +
                      " - THE EPOCH IS LEFT OUT, THOSE BEFORE IT ARE READ!")
                         .c_str());
    else if (!cutShort.empty())
        RINEXWarning(
            ("RINEX FILE ENDS EARLY (" + cutShort + ") - EVERY EPOCH BEFORE THE CUT IS READ!")
                .c_str());
}

bool RINEX::HasHeaderGlonassChannels(const char* file)
{
    SetFile(file);
    headerSeen = true;
    RINEXHeader h;
    ReadHeader(*OpenInput(), h);
    return h.IsRinex3() && !h.glonassSlots.empty();
}

void RINEX::MakeStandIn(RINEXObsType t)
{
    const StandIn* s = facts.StandInFor(t);
    if (s != nullptr && !s->atReading) rdata.MakeStandIn(*s);
}

void RINEX::RINEXWarning(const char* warn)
{
    ClassFrame("####", "RINEX", "Warning", warn, "Continuing RINEX", true);
}

void RINEX::RINEXError(const char* warn)
{
    ClassFrame("####", "RINEX", "Error", warn, "Exiting RINEX", false);
    ExitProgram();
}
