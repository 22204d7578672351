// RINEX 2.11 observation file: header, epoch lines with the satellite list (12 per
// line from column 33), and observation lines of five F14.3+LLI+SSI fields each.
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

const char* SystemText(const GenConfig& cfg) {
    const int systems = (cfg.gps > 0) + (cfg.glonass > 0) + (cfg.galileo > 0);
    if (systems > 1)
        return "M (MIXED)";
    if (cfg.gps > 0)
        return "G (GPS)";
    return cfg.glonass > 0 ? "R (GLONASS)" : "E (GALILEO)";
}

long long Scaled(double v, double scale) {
    return std::llround(v * scale);
}

// "  2015     2    13     0     0    0.0000000     GPS" of the first/last-obs lines.
void HeaderTime(TextBuffer& out, const GenEpoch& e, const char* label) {
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

void Header(TextBuffer& out, const GenConfig& cfg, const GenEpoch& first, const GenEpoch& last) {
    out.Put("     2.11           OBSERVATION DATA    ");
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
    for (long long v : {11224592250LL, -47632430070LL, 40769455470LL})
        out.Fixed(v, 4, 14);
    out.Label("APPROX POSITION XYZ");
    for (int i = 0; i < 3; ++i)
        out.Fixed(0, 4, 14);
    out.Label("ANTENNA: DELTA H/E/N");
    out.Put("     1     1");
    out.Label("WAVELENGTH FACT L1/2");
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
    out.Fixed(Scaled(cfg.interval, 1e3), 3, 10);
    out.Label("INTERVAL");
    HeaderTime(out, first, "TIME OF FIRST OBS");
    HeaderTime(out, last, "TIME OF LAST OBS");
    out.Label("END OF HEADER");
}

// " 15  2 13  0  0  0.0000000  0 25G01G05..." then satellite continuation lines.
void EpochLines(TextBuffer& out, const GenEpoch& e, bool clockColumn) {
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
        for (std::size_t i = from; i < to; ++i)
            out.Put(SatId(e.sats[i].system, e.sats[i].prn));
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

void ObservationLines(TextBuffer& out, const GenSat& s) {
    const std::size_t n = s.obs.size();
    for (std::size_t i = 0; i < n; ++i) {
        const GenObs& o = s.obs[i];
        if (o.blank) {
            out.Repeat(' ', 16);
        } else {
            out.Fixed(Scaled(o.value, 1e3), 3, 14);
            out.Put(o.lli);
            out.Put(o.ssi);
        }
        if (i % kFieldsPerLine == kFieldsPerLine - 1 || i == n - 1)
            out.EndLine();
    }
}

} // namespace

WriteSummary WriteRinex(const std::string& path, const GenConfig& cfg) {
    return WriteFile(path, CheckConfig(cfg), [&](TextBuffer& out, WriteSummary& sum) {
        const SkyModel model(cfg);
        GenEpoch e, last;
        model.Epoch(0, e);
        model.Epoch(cfg.epochs - 1, last);
        Header(out, cfg, e, last);
        for (long i = 0; i < cfg.epochs; ++i) {
            model.Epoch(i, e);
            EpochLines(out, e, cfg.clockOffsetColumn);
            for (const GenSat& s : e.sats)
                ObservationLines(out, s);
            sum.records += static_cast<long long>(e.sats.size());
        }
        sum.epochs = cfg.epochs;
    });
}

} // namespace kgen
