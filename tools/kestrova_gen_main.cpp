// SPDX-License-Identifier: BSD-2-Clause
// kestrova-gen: writes synthetic RINEX 2.11 and 3.05 observation, COMPACT2 multipath and GLONASS
// channel files for Kestrova's tests and benchmarks. See tools/README.md.
#include "tools/gen/RinexGen.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "usage: kestrova-gen [--rinex FILE] [--rinex3 FILE] [--mp1 FILE] [--mp2 FILE] [--channels "
    "FILE]\n"
    "                    [options]\n"
    "  --start YYYY-MM-DD[Thh:mm[:ss]]   first epoch (default 2015-02-13T00:00:00)\n"
    "  --interval S                      seconds between epochs (default 30)\n"
    "  --epochs N | --hours H | --seconds S   length (default 120 epochs)\n"
    "  --gps N --glonass N --galileo N   satellites per constellation (31, 24, 24)\n"
    "  --horizon S                       rising angle of the lowest satellites, as a sine\n"
    "                                    (default 0.42: a third in view; 0.1: nearly half)\n"
    "  --types NAME|T1,T2,...            bench11 (default), bench11e, dual, single, or a list\n"
    "  --seed N                          random seed (default 1)\n"
    "  --jumps E:MS[,E:MS...]            clock jumps of MS milliseconds from epoch index E\n"
    "  --jump-mode none|codes|codes+phases   how jumps enter (default codes with --jumps)\n"
    "  --clock-column                    receiver clock offset in columns 69-80\n"
    "  --drift-ms N                      epoch tags up to N ms off the grid (negative: before)\n"
    "  --blank-prob P --lli-prob P       blank fields and LLI flags (0.002, 0.001)\n"
    "  --mp-offset S --mp-interval S --mp-records N --mp-sats LIST --mp-slip-prob P\n"
    "                                    multipath files: start after the first epoch, step,\n"
    "                                    number of records, satellites (\"G05 R12\", \"G\")\n";

struct Settings {
    kgen::GenConfig gen;
    kgen::Compact2Config mp;
    std::string rinex, rinex3, mp1, mp2, channels;
    double spanSeconds = -1.0;
    bool jumpModeSet = false;
};

[[noreturn]] void Fail(const std::string& text)
{
    std::fprintf(stderr, "kestrova-gen: error: %s\n", text.c_str());
    std::exit(1);
}

bool ParseDouble(const char* s, double& v)
{
    char* end = nullptr;
    v = std::strtod(s, &end);
    return end != s && *end == '\0';
}

bool ParseLong(const char* s, long& v)
{
    char* end = nullptr;
    v = std::strtol(s, &end, 10);
    return end != s && *end == '\0';
}

template <class T> bool ParseInt(const char* s, T& v)
{
    long l = 0;
    if (!ParseLong(s, l)) return false;
    v = static_cast<T>(l);
    return static_cast<long>(v) == l;
}

bool ParseStart(const char* s, kgen::GenConfig& g)
{
    int hour = 0, minute = 0;
    double second = 0.0;
    char sep = 'T';
    int n = std::sscanf(s, "%d-%d-%d%c%d:%d:%lf", &g.year, &g.month, &g.day, &sep, &hour, &minute,
                        &second);
    if (n != 3 && n != 6 && n != 7) return false;
    if (n > 3 && sep != 'T' && sep != ' ') return false;
    g.hour = hour;
    g.minute = minute;
    g.second = second;
    return true;
}

bool ParseTypes(const char* s, std::vector<std::string>& types)
{
    types = kgen::TypePreset(s);
    if (!types.empty()) return true;
    std::string list = s;
    for (std::size_t i = 0; i <= list.size(); i += 3) {
        types.push_back(list.substr(i, 2));
        if (i + 2 < list.size() && list[i + 2] != ',') return false;
    }
    return list.size() % 3 == 2;
}

bool ParseJumps(const char* s, std::vector<kgen::ClockJump>& jumps)
{
    const char* p = s;
    while (*p) {
        kgen::ClockJump j;
        int used = 0;
        if (std::sscanf(p, "%ld:%d%n", &j.epoch, &j.ms, &used) != 2) return false;
        jumps.push_back(j);
        p += used;
        if (*p == ',')
            ++p;
        else if (*p)
            return false;
    }
    return !jumps.empty();
}

bool ParseJumpMode(const char* s, kgen::JumpMode& mode)
{
    if (std::strcmp(s, "none") == 0)
        mode = kgen::JumpMode::None;
    else if (std::strcmp(s, "codes") == 0)
        mode = kgen::JumpMode::Codes;
    else if (std::strcmp(s, "codes+phases") == 0)
        mode = kgen::JumpMode::CodesPhases;
    else
        return false;
    return true;
}

struct Option {
    const char* name;
    std::function<bool(const char*)> apply; // null for a switch without a value
    std::function<void()> flip;
};

std::vector<Option> Options(Settings& st)
{
    kgen::GenConfig& g = st.gen;
    kgen::Compact2Config& m = st.mp;
    auto text = [](std::string& dst) {
        return [&dst](const char* s) {
            dst = s;
            return *s != '\0';
        };
    };
    auto real = [](double& dst) { return [&dst](const char* s) { return ParseDouble(s, dst); }; };
    auto whole = [](auto& dst) { return [&dst](const char* s) { return ParseInt(s, dst); }; };
    return {
        {"--rinex", text(st.rinex), {}},
        {"--rinex3", text(st.rinex3), {}},
        {"--mp1", text(st.mp1), {}},
        {"--mp2", text(st.mp2), {}},
        {"--channels", text(st.channels), {}},
        {"--start", [&g](const char* s) { return ParseStart(s, g); }, {}},
        {"--interval", real(g.interval), {}},
        {"--epochs", whole(g.epochs), {}},
        {"--hours",
         [&st](const char* s) {
             const bool ok = ParseDouble(s, st.spanSeconds);
             st.spanSeconds *= 3600.0;
             return ok;
         },
         {}},
        {"--seconds", real(st.spanSeconds), {}},
        {"--gps", whole(g.gps), {}},
        {"--glonass", whole(g.glonass), {}},
        {"--galileo", whole(g.galileo), {}},
        {"--horizon", real(g.horizon), {}},
        {"--types", [&g](const char* s) { return ParseTypes(s, g.types); }, {}},
        {"--seed", [&g](const char* s) { return ParseInt(s, g.seed); }, {}},
        {"--jumps", [&g](const char* s) { return ParseJumps(s, g.jumps); }, {}},
        {"--jump-mode",
         [&st](const char* s) { return st.jumpModeSet = ParseJumpMode(s, st.gen.jumpMode); },
         {}},
        {"--clock-column", {}, [&g] { g.clockOffsetColumn = true; }},
        {"--drift-ms", whole(g.driftMs), {}},
        {"--blank-prob", real(g.blankProbability), {}},
        {"--lli-prob", real(g.lliProbability), {}},
        {"--mp-offset", real(m.startOffset), {}},
        {"--mp-interval", real(m.interval), {}},
        {"--mp-records", whole(m.records), {}},
        {"--mp-sats", text(m.satellites), {}},
        {"--mp-slip-prob", real(m.slipProbability), {}},
    };
}

Settings ParseArgs(int argc, char** argv)
{
    Settings st;
    const std::vector<Option> options = Options(st);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            std::exit(0);
        }
        const Option* opt = nullptr;
        for (const Option& o : options)
            if (std::strcmp(argv[i], o.name) == 0) opt = &o;
        if (!opt) Fail(std::string("unknown option ") + argv[i] + "\n" + kUsage);
        if (!opt->apply) {
            opt->flip();
            continue;
        }
        if (i + 1 >= argc) Fail(std::string(argv[i]) + " needs a value");
        if (!opt->apply(argv[i + 1]))
            Fail(std::string("bad value for ") + argv[i] + ": " + argv[i + 1]);
        ++i;
    }
    if (st.spanSeconds >= 0.0) st.gen.epochs = std::lround(st.spanSeconds / st.gen.interval);
    if (!st.gen.jumps.empty() && !st.jumpModeSet) st.gen.jumpMode = kgen::JumpMode::Codes;
    if (st.rinex.empty() && st.rinex3.empty() && st.mp1.empty() && st.mp2.empty() &&
        st.channels.empty())
        Fail(std::string("nothing to write\n") + kUsage);
    const std::string bad = kgen::CheckConfig(st.gen);
    if (!bad.empty()) Fail(bad);
    return st;
}

// Runs one writer, reports what it wrote and how long it took, or fails.
void Report(const std::string& path, const char* what, const char* epochsName,
            const char* recordsName, const std::function<kgen::WriteSummary()>& write)
{
    if (path.empty()) return;
    const auto t0 = std::chrono::steady_clock::now();
    const kgen::WriteSummary s = write();
    const double secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (!s.ok) Fail(s.error);
    std::printf("kestrova-gen: wrote %s (%s): ", path.c_str(), what);
    if (epochsName) std::printf("%lld %s, ", s.epochs, epochsName);
    std::printf("%lld %s, %lld bytes in %.2f s\n", s.records, recordsName, s.bytes, secs);
}

} // namespace

int main(int argc, char** argv)
{
    Settings st = ParseArgs(argc, argv);
    const std::string rinexWhat = "RINEX 2.11, " + std::to_string(st.gen.types.size()) + " types";
    Report(st.rinex, rinexWhat.c_str(), "epochs", "satellite records",
           [&] { return kgen::WriteRinex(st.rinex, st.gen); });
    Report(st.rinex3, "RINEX 3.05, the same observations", "epochs", "satellite records",
           [&] { return kgen::WriteRinex3(st.rinex3, st.gen); });
    for (const bool p2 : {false, true}) {
        kgen::Compact2Config mp = st.mp;
        mp.p2 = p2;
        Report(p2 ? st.mp2 : st.mp1, p2 ? "COMPACT2, P2" : "COMPACT2, first-frequency code",
               "records", "values",
               [&] { return kgen::WriteCompact2(p2 ? st.mp2 : st.mp1, st.gen, mp); });
    }
    Report(st.channels, "GLONASS channels", nullptr, "slots",
           [&] { return kgen::WriteChannelFile(st.channels, st.gen); });
    return 0;
}
