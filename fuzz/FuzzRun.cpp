// SPDX-License-Identifier: BSD-2-Clause
#include "fuzz/FuzzRun.h"

#include "GNSS/GLNSat.h"
#include "GNSS/RINEX.h"
#include "GNSS/RINEXData.h"
#include "GNSS/RINEXHeader.h"
#include "GNSS/mGNSSc.h"
#include "GNSS/mjd.h"
#include "GNSS/ymdhms.h"
#include "GNSSf/GNSS_ApplyMultipath.h"
#include "GNSSf/GNSS_SetGLNFreq.h"
#include "PROGINC/ProgramError.h"
#include "src/Kestrovac.h"
#include "src/Usage.h"
#include "teqc/CompactTEQC.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <unistd.h>

namespace {

struct FatalExit {};

[[noreturn]] void ThrowFatal() { throw FatalExit{}; }

class NullBuffer : public std::streambuf {
  protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// The state that outlives a run in one process: the GLONASS tables, the combination factors,
// the decimals of seconds and the format of std::cout.
void ResetProgramState()
{
    GLONASSc::freq = matrix<long double>(32, 2, 0.0L);
    GLONASSc::lamb = matrix<long double>(32, 2, 0.0L);
    GLC::Reset();
    mjdns::NDecSecond = 1;
    ymdhmsns::NDecSecond = 1;
    std::cout.copyfmt(std::ios(nullptr));
    std::cout.clear();
    std::cerr.clear();
}

void RunPhases(int argc, const char** argv)
{
    if (AsksForUsage(argc, argv)) return WriteUsage(std::cout);
    RINEXHeader rh;
    RINEXData rd(rh);
    RINEX rnx(rh, rd);
    CompactTEQC mp1;
    CompactTEQC mp2;
    GLNSat glnfc;
    Kestrovac app(rh, rd, rnx, mp1, mp2, glnfc);
    app.GetFiles(argc, argv);
    app.SetFile();
    app.ReadFile();
    SetGlonassFrequency(rd, glnfc, app.GetIsGLNFreqChan());
    app.PrintSet();
    ApplyMultipath(rh, rd, mp1, mp2, app.GetIsMP1(), app.GetIsMP2(), app.GetVerbose());
    app.PrintObs();
    app.EndProg();
}

// Memory-backed when the machine has it: every run writes its input and its listing.
std::string ScratchRoot() { return access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp"; }

}  // namespace

const std::string& ScratchDir()
{
    static const std::string dir = [] {
        std::string d = ScratchRoot() + "/kestrova-fuzz-" + std::to_string(getpid());
        std::string cmd = "mkdir -p " + d;
        if (std::system(cmd.c_str()) != 0) std::abort();
        // relative names of the command line land here too
        if (chdir(d.c_str()) != 0) std::abort();
        // a copy that outlives the static string, which is destroyed before this handler runs
        static const char* const removed = strdup(d.c_str());
        std::atexit([] { std::filesystem::remove_all(removed); });
        return d;
    }();
    return dir;
}

std::string ScratchFile(const char* name) { return ScratchDir() + "/" + name; }

std::string WriteInput(const char* name, const std::uint8_t* data, std::size_t size)
{
    std::string path = ScratchFile(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data),
                                                static_cast<std::streamsize>(size));
    return path;
}

void RunGuarded(const std::function<void()>& run)
{
    static NullBuffer null;
    ScratchDir();
    ResetProgramState();
    SetExitHook(ThrowFatal);
    std::streambuf* out = std::cout.rdbuf(&null);
    std::streambuf* err = std::cerr.rdbuf(&null);
    try {
        run();
    } catch (const FatalExit&) {
        // a framed error: a normal outcome of a hostile input
    }
    std::cout.rdbuf(out);
    std::cerr.rdbuf(err);
}

void RunKestrova(const std::vector<std::string>& words)
{
    std::vector<const char*> argv{"kestrova"};
    for (const std::string& w : words) argv.push_back(w.c_str());
    RunGuarded([&argv] { RunPhases(static_cast<int>(argv.size()), argv.data()); });
}
