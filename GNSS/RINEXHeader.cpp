// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/RINEXHeader.h"

#include "GNSS/RINEXf.h"
#include "GNSS/SatSystem.h"
#include "GNSS/SignalMap.h"
#include "GNSS/TimeConverse.h"
#include "GNSS/ymdhms.h"
#include "PROGINC/ProgramError.h"
#include "PROGINC/cfilef.h"
#include "PROGINC/cstringf.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

// A text field of a header line into its field of the record (capacity width + 1).
void CutText(const char* line, std::size_t first, std::size_t width, char* out, bool trimmed)
{
    std::string_view field = Columns(line, first, width);
    out[field.copy(out, width)] = '\0';
    if (trimmed) trim(out);
}

// Calendar fields outside the range of the record's fields become a value every test rejects,
// so that no large number wraps round into a valid date.
unsigned short CalendarField(long v)
{
    return v < 0 || v > std::numeric_limits<unsigned short>::max()
               ? std::numeric_limits<unsigned short>::max()
               : static_cast<unsigned short>(v);
}

// "TIME OF FIRST OBS" and "TIME OF LAST OBS": 5I6, F13.7, then the time system in columns 49-51;
// blank columns are no time system.
void ParseObsTime(const char* line, mjd& time, char* timesystem)
{
    ymdhms d;
    d.Set(CalendarField(ColumnsInt(line, 1, 6)), CalendarField(ColumnsInt(line, 7, 6)),
          CalendarField(ColumnsInt(line, 13, 6)), CalendarField(ColumnsInt(line, 19, 6)),
          CalendarField(ColumnsInt(line, 25, 6)), ColumnsNum(line, 31, 13));
    time = ymdhms2mjd(d);
    CutText(line, 49, 3, timesystem, true);
}

// The 9 type fields of a types line (columns 7-60).
void AppendTypeFields(std::string& types, const std::string& line)
{
    AppendColumns(types, line, 7, 54);
}

// Continuation lines of a types record: 9 types a line, the first line included.
unsigned long TypeContinuationLines(long ntypes) { return ntypes > 0 ? (ntypes - 1) / 9 : 0; }

const char* const TypesCountText =
    "NUMBER OF TYPES IN \"# / TYPES OF OBSERV\" HEADER LINE NOT IN 0 TO 81";

// The types record: the count, the first line and the continuation lines the count asks for
// (whatever their label); n counts the continuation lines as header lines.
void ReadTypesRecord(std::istream& in, RINEXHeader& hd, std::string& line, unsigned long& n)
{
    // a line without a count after a record was read is a continuation that the count did not
    // ask for (its warning is written); its types are not taken
    if (hd.nobs > 0 && IsBlank(Columns(line, 1, 6))) return;
    long ntypes = ColumnsInt(line, 1, 6);
    if (ntypes < 0 || ntypes > MaxObsTypes) hd.RINEXHeaderError(TypesCountText, n);
    std::string types;
    AppendTypeFields(types, line);
    for (unsigned long k = TypeContinuationLines(ntypes); k > 0 && ReadLine(in, line); k--) {
        n++;
        AppendTypeFields(types, line);
    }
    hd.nobs = static_cast<unsigned short>(ntypes);
    hd.ParseTypesOfObs(types.data());
}

using Parser = void (RINEXHeader::*)(char*);
using RepeatedTest = bool (*)(const RINEXHeader&);

// The header forms a label belongs to: RINEX 3 labels are those of versions 3 and 4.
enum class Form { Any, Rinex2, Rinex3, Rinex4 };

struct HeaderLabel {
    const char* label;
    Parser parse;       // nullptr: nothing is taken from the line
    RepeatedTest again; // nullptr: a repeated line is never reported
    const char* warning;
    Form form = Form::Any;
    // RINEX 4 allows the record more than once: the first line holds, the others are history
    bool manyInRinex4 = false;
};

bool Filled(const char* text) { return text[0] != '\0'; }

// Each line is searched for the labels in this order and handled by the first one found: labels
// may stand anywhere in the line, and "COMMENT" comes last so that a comment naming a label is
// that label's line.
// clang-format off
const HeaderLabel Labels[] = {
    {"END OF HEADER", nullptr, nullptr, nullptr},
    // the records RINEX 4 adds, in their label columns only: nothing of them is needed, and
    // their free text (a licence, a web address) is never taken for another label
    {"DOI", nullptr, nullptr, nullptr, Form::Rinex4},
    {"LICENSE OF USE", nullptr, nullptr, nullptr, Form::Rinex4},
    {"STATION INFORMATION", nullptr, nullptr, nullptr, Form::Rinex4},
    {"RINEX VERSION / TYPE", &RINEXHeader::ParseRVersionType,
     [](const RINEXHeader& h) { return h.type != 0; },
     "ADDITIONAL \"RINEX VERSION / TYPE\" HEADER LINE"},
    {"PGM / RUN BY / DATE", &RINEXHeader::ParsePgmRunByDate,
     [](const RINEXHeader& h) { return Filled(h.creator.program); },
     "ADDITIONAL \"PGM / RUN BY / DATE\" HEADER LINE", Form::Any, true},
    {"MARKER NAME", &RINEXHeader::ParseMarkerName,
     [](const RINEXHeader& h) { return Filled(h.marker.name); },
     "ADDITIONAL \"MARKER NAME\" HEADER LINE"},
    {"MARKER NUMBER", &RINEXHeader::ParseMarkerNumber,
     [](const RINEXHeader& h) { return Filled(h.marker.number); },
     "ADDITIONAL \"MARKER NUMBER\" HEADER LINE"},
    {"OBSERVER / AGENCY", &RINEXHeader::ParseObsAgency,
     [](const RINEXHeader& h) { return Filled(h.observer.name); },
     "ADDITIONAL \"OBSERVER / AGENCY\" HEADER LINE"},
    {"APPROX POSITION XYZ", &RINEXHeader::ParseX0,
     [](const RINEXHeader& h) { return h.xyz0read; },
     "ADDITIONAL \"APPROX POSITION XYZ\" HEADER LINE"},
    {"ANTENNA: DELTA H/E/N", &RINEXHeader::ParseDp,
     [](const RINEXHeader& h) { return h.neuread; },
     "ADDITIONAL \"ANTENNA: DELTA H/E/N\" HEADER LINE"},
    {"# / TYPES OF OBSERV", &RINEXHeader::ParseTypesOfObs,
     [](const RINEXHeader& h) { return h.nobs > 0; },
     "ADDITIONAL \"# / TYPES OF OBSERV\" HEADER LINE", Form::Rinex2},
    // the repeated record of a system is reported by the parser, which knows the system
    {"SYS / # / OBS TYPES", &RINEXHeader::ParseSysObsTypes, nullptr, nullptr, Form::Rinex3},
    {"REC # / TYPE / VERS", &RINEXHeader::ParseReceiver,
     [](const RINEXHeader& h) { return Filled(h.receiver.type); },
     "ADDITIONAL \"REC # / TYPE / VERS\" HEADER LINE"},
    {"ANT # / TYPE", &RINEXHeader::ParseAntenna,
     [](const RINEXHeader& h) { return Filled(h.antenna.type); },
     "ADDITIONAL \"ANT # / TYPE\" HEADER LINE"},
    {"INTERVAL", &RINEXHeader::ParseInterval,
     [](const RINEXHeader& h) { return h.interval > 0; },
     "ADDITIONAL \"INTERVAL\" HEADER LINE"},
    {"TIME OF FIRST OBS", &RINEXHeader::ParseObsFirst, nullptr, nullptr},
    {"TIME OF LAST OBS", &RINEXHeader::ParseObsLast, nullptr, nullptr},
    {"WAVELENGTH FACT L1/2", &RINEXHeader::ParseWavelength, nullptr, nullptr, Form::Rinex2},
    {"SYS / SCALE FACTOR", &RINEXHeader::ParseScaleFactor, nullptr, nullptr, Form::Rinex3},
    {"GLONASS SLOT / FRQ #", &RINEXHeader::ParseGlonassSlots, nullptr, nullptr, Form::Rinex3},
    {"LEAP SECONDS", nullptr, nullptr, nullptr},
    {"COMMENT", nullptr, nullptr, nullptr},
};
// clang-format on

// The labels of the other forms are not looked for: a RINEX 2 header reads exactly as it always
// has, whatever its comments say.
bool IsOfForm(Form form, float version)
{
    switch (form) {
    case Form::Rinex2: return version < 3;
    case Form::Rinex3: return version >= 3;
    case Form::Rinex4: return version >= 4;
    default: return true;
    }
}

bool HasLabel(const std::string& line, const HeaderLabel& row)
{
    if (row.form == Form::Rinex4)
        return line.size() > 60 && line.compare(60, std::strlen(row.label), row.label) == 0;
    return line.find(row.label) != std::string::npos;
}

const HeaderLabel* FindLabel(const std::string& line, float version)
{
    for (const HeaderLabel& row : Labels)
        if (IsOfForm(row.form, version) && HasLabel(line, row)) return &row;
    return nullptr;
}

// The blank-separated words of columns first to 60.
std::vector<std::string> Words(const char* line, std::size_t first)
{
    std::vector<std::string> words;
    std::string_view text = Columns(line, first, 61 - first);
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = text.find_first_not_of(' ', i);
        if (start == std::string_view::npos) break;
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos) end = text.size();
        words.emplace_back(text.substr(start, end - start));
        i = end;
    }
    return words;
}

// A line that goes on the record above it: the system column is blank.
bool IsContinuation(const char* line) { return Column(line, 1) == ' '; }

std::string LineText(const char* text, unsigned long n)
{
    return std::string(text) + " -> line: " + std::to_string(n);
}

} // namespace

RINEXHeader::RINEXHeader() { RINEXHeaderReset(); }

void RINEXHeader::RINEXHeaderReset()
{
    version = 0;
    type = 0;
    satsystems = 0;
    creator = {};
    marker = {};
    observer = {};
    receiver = {};
    antenna = {};
    xyz0read = false;
    neuread = false;
    nobs = 0;
    wavelengthFactors = {'1', '1'};
    interval = -1.0f;
    obsfirstts[0] = obslastts[0] = '\0';
    types.reset();
    systemCodes.clear();
    scaleFactors.clear();
    glonassSlots.clear();
    signals.clear();
    systemFields.fill(SystemFields());
    lineNumber = 0;
    warnings.clear();
}

const SystemFields* RINEXHeader::FieldsOf(char letter) const
{
    if (letter < 'A' || letter > 'Z' || !systemFields[letter - 'A'].hasTypes) return nullptr;
    return &systemFields[letter - 'A'];
}

void RINEXHeader::RINEXHeaderWarning(const char* warn, unsigned long n)
{
    warnings.push_back(LineText(warn, n));
}

void RINEXHeader::WriteWarnings() const
{
    for (const std::string& w : warnings)
        ClassFrame("####", "RINEXHeader", "Warning", w.c_str(), "Continuing RINEXHeader", true);
}

void RINEXHeader::RINEXHeaderError(const char* error, unsigned long n)
{
    ClassFrame("####", "RINEXHeader", "Error", LineText(error, n).c_str(), "Exiting RINEXHeader",
               false);
    ExitProgram();
}

void RINEXHeader::ParseRVersionType(char* navline)
{
    version = static_cast<float>(ColumnsNum(navline, 1, 9));
    type = Column(navline, 21);
    satsystems = Column(navline, 41);
}

void RINEXHeader::ParsePgmRunByDate(char* navline)
{
    CutText(navline, 1, 20, creator.program, true);
    CutText(navline, 21, 20, creator.runBy, true);
    CutText(navline, 41, 20, creator.date, true);
}

void RINEXHeader::ParseMarkerName(char* navline) { CutText(navline, 1, 60, marker.name, true); }

void RINEXHeader::ParseMarkerNumber(char* navline) { CutText(navline, 1, 20, marker.number, true); }

void RINEXHeader::ParseObsAgency(char* navline)
{
    CutText(navline, 1, 20, observer.name, true);
    CutText(navline, 21, 40, observer.agency, true);
}

void RINEXHeader::ParseReceiver(char* navline)
{
    CutText(navline, 1, 20, receiver.number, true);
    CutText(navline, 21, 20, receiver.type, true);
    CutText(navline, 41, 20, receiver.version, true);
}

void RINEXHeader::ParseAntenna(char* navline)
{
    CutText(navline, 1, 20, antenna.number, false);
    CutText(navline, 21, 20, antenna.type, false);
}

void RINEXHeader::ParseX0(char* navline)
{
    X0.Set(ColumnsNum(navline, 1, 14), ColumnsNum(navline, 15, 14), ColumnsNum(navline, 29, 14));
    xyz0read = true;
}

bool RINEXHeader::GivesPosition() const
{
    return xyz0read && std::hypot(static_cast<double>(X0.x), static_cast<double>(X0.y),
                                  static_cast<double>(X0.z)) > 0;
}

void RINEXHeader::ParseDp(char* navline)
{
    // the line gives height, east, north
    Dp.Set(ColumnsNum(navline, 29, 14), ColumnsNum(navline, 15, 14), ColumnsNum(navline, 1, 14));
    neuread = true;
}

void RINEXHeader::ParseTypesOfObs(char* onsline)
{
    // the types of this record replace those of an earlier one, flags included, so that no flag
    // claims a type whose table is never sized
    types.reset();
    obs.Resize(nobs);
    for (unsigned short i = 0; i < nobs; i++) {
        // 6-character fields, the type in the last two
        unsigned short code = ObsTypeCode(Columns(onsline, 6U * i + 5, 2));
        obs(i) = code;
        if (code < NObsTypes) types.set(code);
    }
}

void RINEXHeader::ParseInterval(char* navline)
{
    interval = static_cast<float>(ColumnsNum(navline, 1, 10));
}

void RINEXHeader::ParseObsFirst(char* navline) { ParseObsTime(navline, obsfirst, obsfirstts); }

void RINEXHeader::ParseObsLast(char* navline) { ParseObsTime(navline, obslast, obslastts); }

void RINEXHeader::ParseWavelength(char* navline)
{
    wavelengthFactors[0] = Column(navline, 6);
    wavelengthFactors[1] = Column(navline, 12);
}

// "SYS / # / OBS TYPES": the system letter, the count in columns 4-6 and 13 codes a line from
// column 8; continuation lines leave the system blank. A code is a word of its own, so a code
// of another length keeps the places of the codes after it.
void RINEXHeader::ParseSysObsTypes(char* navline)
{
    std::vector<std::string> words = Words(navline, 7);
    for (const std::string& w : words)
        if (w.size() != 3)
            RINEXHeaderWarning(
                ("OBSERVATION CODE \"" + w +
                 "\" IN \"SYS / # / OBS TYPES\" HEADER LINE IS NOT 3 CHARACTERS LONG")
                    .c_str(),
                lineNumber);
    if (IsContinuation(navline)) {
        if (!systemCodes.empty())
            systemCodes.back().codes.insert(systemCodes.back().codes.end(), words.begin(),
                                            words.end());
        return;
    }
    const char letter = Column(navline, 1);
    // the later record of a system replaces the earlier one, as a repeated line does
    if (std::erase_if(systemCodes, [letter](const SystemCodes& s) { return s.system == letter; }) >
        0)
        RINEXHeaderWarning(
            ("ADDITIONAL \"SYS / # / OBS TYPES\" HEADER LINE OF SYSTEM " + std::string(1, letter))
                .c_str(),
            lineNumber);
    systemCodes.push_back({letter, ColumnsInt(navline, 2, 5), lineNumber, std::move(words)});
}

// "SYS / SCALE FACTOR": the system letter, the factor in columns 3-6, the count in columns 9-10
// and 12 codes a line from column 12; continuation lines leave the system blank.
void RINEXHeader::ParseScaleFactor(char* navline)
{
    std::vector<std::string> words = Words(navline, 11);
    if (IsContinuation(navline)) {
        if (!scaleFactors.empty())
            scaleFactors.back().codes.insert(scaleFactors.back().codes.end(), words.begin(),
                                             words.end());
        return;
    }
    long factor = ColumnsInt(navline, 3, 4);
    if (factor <= 0) {
        RINEXHeaderWarning("SCALE FACTOR IN \"SYS / SCALE FACTOR\" HEADER LINE IS NOT A POSITIVE "
                           "NUMBER - THE VALUES ARE NOT SCALED",
                           lineNumber);
        factor = 1;
    }
    scaleFactors.push_back({Column(navline, 1), factor, std::move(words)});
}

// "GLONASS SLOT / FRQ #": entries "R01  1" of a slot and its channel, 8 a line from column 5.
// Some writers leave out the blank between entries ("R11 -5R19 +3"), so an entry is found by
// its letter and its slot digits, and its channel is read from the 4 characters after them.
void RINEXHeader::ParseGlonassSlots(char* navline)
{
    const std::string_view text = Columns(navline, 4, 57);
    for (std::size_t i = text.find('R'); i != std::string_view::npos; i = text.find('R', i + 1)) {
        const short sat = SatOfId(text.substr(i, 3));
        if (sat == NoSatellite) continue;
        char channel[5] = {};
        text.substr(i + 3, 4).copy(channel, 4);
        char* end = nullptr;
        const long k = std::strtol(channel, &end, 10);
        if (end == channel) continue; // no channel: the satellite is treated as not listed
        glonassSlots.push_back({sat, static_cast<int>(k)});
    }
}

void RINEXHeader::CompleteRinex3()
{
    for (const SystemCodes& s : systemCodes)
        if (s.count != static_cast<long>(s.codes.size()))
            RINEXHeaderWarning(("NUMBER OF CODES OF SYSTEM " + std::string(1, s.system) +
                                " IN \"SYS / # / OBS TYPES\" HEADER LINE (" +
                                std::to_string(s.count) + ") IS NOT THE NUMBER OF CODES LISTED (" +
                                std::to_string(s.codes.size()) + ") - THE CODES LISTED ARE READ")
                                   .c_str(),
                               s.line);
}

std::istream& ReadHeader(std::istream& in, RINEXHeader& hd)
{
    hd.RINEXHeaderReset();
    std::string line;
    unsigned long n = 0;
    while (ReadLine(in, line)) {
        n++;
        hd.lineNumber = n;
        const HeaderLabel* row = FindLabel(line, hd.version);
        if (row == nullptr) continue;
        if (row == &Labels[0]) break;
        if (row->again != nullptr && row->again(hd)) {
            if (row->manyInRinex4 && hd.version >= 4) continue;
            hd.RINEXHeaderWarning(row->warning, n);
        }
        if (row->parse == &RINEXHeader::ParseTypesOfObs)
            ReadTypesRecord(in, hd, line, n);
        else if (row->parse != nullptr)
            (hd.*row->parse)(line.data());
    }
    hd.lineNumber = n;
    if (hd.IsRinex3()) hd.CompleteRinex3();
    return in;
}

std::istream& operator>>(std::istream& in, RINEXHeader& hd)
{
    ReadHeader(in, hd);
    if (hd.IsRinex3()) MapSignals(hd, ReadRequest());
    hd.WriteWarnings();
    return in;
}
