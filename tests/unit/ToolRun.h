// SPDX-License-Identifier: BSD-2-Clause
// Test helper: the programs of the project run as a user runs them, through the shell, with what
// they leave behind (exit status, console, result file) read back.
#ifndef KESTROVA_TESTS_UNIT_TOOLRUN_H
#define KESTROVA_TESTS_UNIT_TOOLRUN_H

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

// The whole content of a file; "" for a file that is not there.
inline std::string ReadAll(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

// The exit status of a shell command as std::system reports it; -1 after a signal.
inline int ExitStatus(int rc) { return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1; }

// A shell command run in dir: its status, its standard output (into the file to; read back from
// out.txt of dir) and its standard error.
struct Shell {
    int status = -1;
    std::string out, err;

    Shell(const std::filesystem::path& dir, const std::string& cmd,
          const std::string& to = "out.txt")
    {
        status = ExitStatus(
            std::system(("cd " + dir.string() + " && " + cmd + " >" + to + " 2>err.txt").c_str()));
        out = ReadAll(dir / "out.txt");
        err = ReadAll(dir / "err.txt");
    }
};

// One run of the tool in dir with the given words and the result file name.gof: its exit status,
// console and result file. feed, when given, is a shell command whose output the tool reads on
// its standard input; before, shell commands run first in the same shell (limits, signal
// dispositions); bin, the program to run (kestrova unless given).
struct ToolRun {
    int status = -1;
    std::string out, err, gof;

    ToolRun(const std::filesystem::path& dir, const std::string& name, const std::string& words,
            const std::string& feed = "", const std::string& before = "",
            const std::string& bin = KESTROVA_BIN)
    {
        const std::filesystem::path res = dir / (name + ".gof"), o = dir / (name + ".out"),
                                    e = dir / (name + ".err");
        const std::string cmd = before + (feed.empty() ? "" : feed + " | ") + bin + " " + words +
                                " -r" + res.string() + " >" + o.string() + " 2>" + e.string();
        status = ExitStatus(std::system(cmd.c_str()));
        out = ReadAll(o);
        err = ReadAll(e);
        gof = ReadAll(res);
    }
};

#endif
