// SPDX-License-Identifier: BSD-2-Clause
// RINEX 2.11 observation file: header, epoch lines with the satellite list (12 per
// line from column 33), and observation lines of five F14.3+LLI+SSI fields each.
// RINEX 3.05 observation file of the same observations: per-system lists of three-
// character codes, the GLONASS channels in the header, '>' epoch lines and one line per
// satellite (identifier, then its system's fields).
#include "tools/gen/RinexGen.h"
#include "tools/gen/SkyModel.h"
#include "tools/gen/TextBuffer.h"

#include <algorithm>
#include <cmath>

namespace kgen {
namespace {

constexpr std::size_t kSatsPerLine = 12;
constexpr int kFieldsPerLine = 5;
constexpr int kTypesPerLine = 9;
constexpr int kCodesPerLine = 13;
constexpr int kSlotsPerLine = 8;

enum class Form { Rinex2, Rinex3 };

// The RINEX 3 code the generator writes a two-letter type of a system as, or "" for a
// type the system is not written with: the observation letter (C also for P1, P2), the
// band and the tracking attribute of the receiver simulated.
std::string Code3(char system, const std::string& type)
{
    const char kind = type[0], band = type[1];
    if (CarrierMHz(system, band, 0) == 0.0 || std::string("CPLDS").find(kind) == std::string::npos)
        return "";
    char attribute = 0;
    if (system == 'G')
        attribute = band == '1'   ? (kind == 'P' ? 'W' : 'C')
                    : band == '2' ? (kind == 'C' ? 'L' : 'W')
                                  : 'Q';
    else if (system == 'R')
        attribute = kind == 'P' ? 'P' : kind == 'C' ? 'C' : band == '1' ? 'C' : 'P';
    else if (kind != 'P')
        attribute = band == '1' || band == '6' ? 'C' : 'Q';
    if (attribute == 0) return "";
    return {kind == 'P' ? 'C' : kind, band, attribute};
}

// The indices of the types written for a system, in type order.
std::vector<std::size_t> Fields3(const GenConfig& cfg, char system)
{
    std::vector<std::size_t> fields;
    for (std::size_t i = 0; i < cfg.types.size(); ++i)
        if (!Code3(system, cfg.types[i]).empty()) fields.push_back(i);
    return fields;
}

// "SYS / # / OBS TYPES" of one system, 13 codes a line.
void Types3(TextBuffer& out, const GenConfig& cfg, char system)
{
    const std::vector<std::size_t> fields = Fields3(cfg, system);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i % kCodesPerLine == 0) {
            out.Put(i == 0 ? system : ' ');
            out.Repeat(' ', 2);
            if (i == 0)
                out.Int(static_cast<long long>(fields.size()), 3);
            else
                out.Repeat(' ', 3);
        }
        out.Put(' ');
        out.Put(Code3(system, cfg.types[fields[i]]));
        if (i % kCodesPerLine == kCodesPerLine - 1 || i + 1 == fields.size())
            out.Label("SYS / # / OBS TYPES");
    }
}

// "GLONASS SLOT / FRQ #": 8 slots a line.
void GlonassSlots(TextBuffer& out, const GenConfig& cfg)
{
    for (int slot = 1; slot <= cfg.glonass; ++slot) {
        if (slot % kSlotsPerLine == 1) {
            if (slot == 1)
                out.Int(cfg.glonass, 3);
            else
                out.Repeat(' ', 3);
        }
        out.Put(' ');
        out.Put(SatId('R', slot));
        out.Put(' ');
        out.Int(GlonassChannel(slot), 2);
        if (slot % kSlotsPerLine == 0 || slot == cfg.glonass) out.Label("GLONASS SLOT / FRQ #");
    }
}

const char* SystemText(const GenConfig& cfg)
{
    const int systems = (cfg.gps > 0) + (cfg.glonass > 0) + (cfg.galileo > 0);
    if (systems > 1) return "M (MIXED)";
    if (cfg.gps > 0) return "G (GPS)";
    return cfg.glonass > 0 ? "R (GLONASS)" : "E (GALILEO)";
}

long long Scaled(double v, double scale) { return std::llround(v * scale); }

// "  2015     2    13     0     0    0.0000000     GPS" of the first/last-obs lines.
void HeaderTime(TextBuffer& out, const GenEpoch& e, const char* label)
{
    out.Int(e.year, 6);
    out.Int(e.month, 6);
    out.Int(e.day, 6);
    out.Int(e.hour, 6);
    out.Int(e.minute, 6);
    out.Fixed(Scaled(e.second, 1e7), 7, 13);
    out.Repeat(' ', 5);
    out.Put("GPS");
    out.Label(label);
}

// "# / TYPES OF OBSERV", 9 types a line.
void Types2(TextBuffer& out, const GenConfig& cfg)
{
    const int ntypes = static_cast<int>(cfg.types.size());
    for (int i = 0; i < ntypes; ++i) {
        if (i % kTypesPerLine == 0) {
            if (i == 0)
                out.Int(ntypes, 6);
            else
                out.Repeat(' ', 6);
        }
        out.Repeat(' ', 4);
        out.Put(cfg.types[static_cast<std::size_t>(i)]);
        if (i % kTypesPerLine == kTypesPerLine - 1 || i == ntypes - 1)
            out.Label("# / TYPES OF OBSERV");
    }
}

void Header(TextBuffer& out, const GenConfig& cfg, const GenEpoch& first, const GenEpoch& last,
            Form form)
{
    out.Put(form == Form::Rinex2 ? "     2.11           OBSERVATION DATA    "
                                 : "     3.05           OBSERVATION DATA    ");
    out.Put(SystemText(cfg));
    out.Label("RINEX VERSION / TYPE");
    out.Put("kestrova-gen        Kestrova            ");
    out.Int(first.year, 4);
    out.Int(first.month, 2, true);
    out.Int(first.day, 2, true);
    out.Put(" 000000 UTC");
    out.Label("PGM / RUN BY / DATE");
    out.Put("synthetic observations, seed ");
    out.Int(static_cast<long long>(cfg.seed % 1000000000000ULL), 0);
    out.Label("COMMENT");
    out.Put("KEST");
    out.Label("MARKER NAME");
    out.Put("KEST00001");
    out.Label("MARKER NUMBER");
    out.Put("kestrova-gen        Kestrova");
    out.Label("OBSERVER / AGENCY");
    out.Put("0001                KESTROVA SIMULATOR  1.0");
    out.Label("REC # / TYPE / VERS");
    out.Put("0001                KESTROVA_SIM    NONE");
    out.Label("ANT # / TYPE");
    for (long long v : {11224592250LL, -47632430070LL, 40769455470LL}) out.Fixed(v, 4, 14);
    out.Label("APPROX POSITION XYZ");
    for (int i = 0; i < 3; ++i) out.Fixed(0, 4, 14);
    out.Label("ANTENNA: DELTA H/E/N");
    if (form == Form::Rinex2) {
        out.Put("     1     1");
        out.Label("WAVELENGTH FACT L1/2");
        Types2(out, cfg);
    } else {
        for (const auto& [system, count] :
             {std::pair{'G', cfg.gps}, {'R', cfg.glonass}, {'E', cfg.galileo}})
            if (count > 0) Types3(out, cfg, system);
        GlonassSlots(out, cfg);
    }
    out.Fixed(Scaled(cfg.interval, 1e3), 3, 10);
    out.Label("INTERVAL");
    HeaderTime(out, first, "TIME OF FIRST OBS");
    HeaderTime(out, last, "TIME OF LAST OBS");
    out.Label("END OF HEADER");
}

// " 15  2 13  0  0  0.0000000  0 25G01G05..." then satellite continuation lines.
void EpochLines(TextBuffer& out, const GenEpoch& e, bool clockColumn)
{
    out.Put(' ');
    out.Int(e.year % 100, 2, true);
    for (int v : {e.month, e.day, e.hour, e.minute}) {
        out.Put(' ');
        out.Int(v, 2);
    }
    out.Fixed(Scaled(e.second, 1e7), 7, 11);
    out.Put("  0");
    const std::size_t n = e.sats.size();
    out.Int(static_cast<long long>(n), 3);
    auto sats = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) out.Put(SatId(e.sats[i].system, e.sats[i].prn));
    };
    const std::size_t first = std::min(n, kSatsPerLine);
    sats(0, first);
    if (clockColumn) {
        out.PadTo(68);
        out.Fixed(Scaled(e.clockOffset, 1e9), 9, 12);
    }
    out.EndLine();
    for (std::size_t i = first; i < n; i += kSatsPerLine) {
        out.Repeat(' ', 32);
        sats(i, std::min(n, i + kSatsPerLine));
        out.EndLine();
    }
}

// "> 2015 02 13 00 00  0.0000000  0 25" and the clock offset in columns 42-56.
void EpochLine3(TextBuffer& out, const GenEpoch& e, bool clockColumn)
{
    out.Put("> ");
    out.Int(e.year, 4);
    for (int v : {e.month, e.day, e.hour, e.minute}) {
        out.Put(' ');
        out.Int(v, 2, true);
    }
    out.Fixed(Scaled(e.second, 1e7), 7, 11);
    out.Put("  0");
    out.Int(static_cast<long long>(e.sats.size()), 3);
    if (clockColumn) {
        out.Repeat(' ', 6);
        out.Fixed(Scaled(e.clockOffset, 1e12), 12, 15);
    }
    out.EndLine();
}

void Field(TextBuffer& out, const GenObs& o)
{
    if (o.blank) {
        out.Repeat(' ', 16);
        return;
    }
    out.Fixed(Scaled(o.value, 1e3), 3, 14);
    out.Put(o.lli);
    out.Put(o.ssi);
}

void ObservationLines(TextBuffer& out, const GenSat& s)
{
    const std::size_t n = s.obs.size();
    for (std::size_t i = 0; i < n; ++i) {
        Field(out, s.obs[i]);
        if (i % kFieldsPerLine == kFieldsPerLine - 1 || i == n - 1) out.EndLine();
    }
}

// One line: the identifier, then the fields of its system's codes.
void SatelliteLine3(TextBuffer& out, const GenSat& s, const std::vector<std::size_t>& fields)
{
    out.Put(SatId(s.system, s.prn));
    for (std::size_t i : fields) Field(out, s.obs[i]);
    out.EndLine();
}

WriteSummary Write(const std::string& path, const GenConfig& cfg, Form form)
{
    return WriteFile(path, CheckConfig(cfg), [&](TextBuffer& out, WriteSummary& sum) {
        const SkyModel model(cfg);
        const std::vector<std::size_t> fields[3] = {Fields3(cfg, 'G'), Fields3(cfg, 'R'),
                                                    Fields3(cfg, 'E')};
        GenEpoch e, last;
        model.Epoch(0, e);
        model.Epoch(cfg.epochs - 1, last);
        Header(out, cfg, e, last, form);
        for (long i = 0; i < cfg.epochs; ++i) {
            model.Epoch(i, e);
            if (form == Form::Rinex2)
                EpochLines(out, e, cfg.clockOffsetColumn);
            else
                EpochLine3(out, e, cfg.clockOffsetColumn);
            for (const GenSat& s : e.sats) {
                if (form == Form::Rinex2)
                    ObservationLines(out, s);
                else
                    SatelliteLine3(out, s, fields[s.system == 'G' ? 0 : s.system == 'R' ? 1 : 2]);
            }
            sum.records += static_cast<long long>(e.sats.size());
        }
        sum.epochs = cfg.epochs;
    });
}

} // namespace

WriteSummary WriteRinex(const std::string& path, const GenConfig& cfg)
{
    return Write(path, cfg, Form::Rinex2);
}

WriteSummary WriteRinex3(const std::string& path, const GenConfig& cfg)
{
    return Write(path, cfg, Form::Rinex3);
}

} // namespace kgen
