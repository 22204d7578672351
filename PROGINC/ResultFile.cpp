// SPDX-License-Identifier: BSD-2-Clause
#include "PROGINC/ResultFile.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The temporary file not yet in place; a fixed array, so that a signal handler may read it.
char pending[4096];

extern "C" void RemovePendingAndDie(int sig)
{
    if (pending[0] != '\0') unlink(pending);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

// Signals that end a run by default; an ignored one stays ignored.
void RemoveOnSignals()
{
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ}) {
        void (*old)(int) = std::signal(sig, RemovePendingAndDie);
        if (old == SIG_IGN) std::signal(sig, SIG_IGN);
    }
}

// The file a name ends at: a link to a result file is followed, so that the link stays.
std::filesystem::path Target(const char* name)
{
    std::error_code ec;
    std::filesystem::path p(name);
    if (std::filesystem::is_symlink(p, ec)) {
        std::filesystem::path t = std::filesystem::canonical(p, ec);
        if (!ec) return t;
    }
    return p;
}

// The mode an existing result file has, or what a new file gets under the umask.
mode_t ModeFor(const std::filesystem::path& p)
{
    struct stat st;
    if (stat(p.c_str(), &st) == 0) return st.st_mode & 07777;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

void RemovePendingResult()
{
    if (pending[0] != '\0') unlink(pending);
    pending[0] = '\0';
}

bool ResultFile::Open(const char* name, std::ofstream& out)
{
    std::error_code ec;
    const std::filesystem::path target = Target(name);
    const bool exists = std::filesystem::exists(target, ec);
    isTemporary = !exists || std::filesystem::is_regular_file(target, ec);
    // a result file the user may not write stays as it is
    if (!isTemporary || (exists && access(target.c_str(), W_OK) != 0)) {
        out.open(name, std::ios::out | std::ios::trunc);
        return out.is_open();
    }
    final = target.string();
    std::string temp = final + ".partial-XXXXXX";
    if (temp.size() >= sizeof pending) return false;
    RemoveOnSignals();
    const mode_t mode = ModeFor(target);
    int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    std::memcpy(pending, temp.c_str(), temp.size() + 1);
    fchmod(fd, mode);
    close(fd);
    out.open(temp, std::ios::out | std::ios::trunc);
    if (!out.is_open()) RemovePendingResult();
    return out.is_open();
}

bool ResultFile::Commit(std::ofstream& out)
{
    out.close();
    bool ok = !out.fail();
    if (!isTemporary) return ok;
    ok = ok && std::rename(pending, final.c_str()) == 0;
    if (ok) pending[0] = '\0';
    RemovePendingResult();
    return ok;
}
