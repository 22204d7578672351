// SPDX-License-Identifier: BSD-2-Clause
#include "fuzz/FuzzRun.h"

#include "PROGINC/ProgramError.h"
#include "src/KestrovaRun.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <unistd.h>

namespace {

class NullBuffer : public std::streambuf {
  protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// Memory-backed when the machine has it: every run writes its input and its listing.
std::string ScratchRoot() { return access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp"; }

} // namespace

// A fatal frame ends the run, not the fuzzing process.
void EndAfterFatalFrame() { throw FatalExit{}; }

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
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

void RunGuarded(const std::function<void()>& run)
{
    static NullBuffer null;
    ScratchDir();
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
    RunGuarded([&argv] { KestrovaRun().Phases(static_cast<int>(argv.size()), argv.data()); });
}
