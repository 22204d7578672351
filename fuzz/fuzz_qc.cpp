// SPDX-License-Identifier: BSD-2-Clause
// kestrova-qc on an observation file and a command line: the first line of the input holds the
// option words (split at blanks), the rest is the file. Words naming paths or standard input are
// dropped, so that a run reads and writes only the scratch folder; the JSON and TSV writers run
// on every input.
#include "fuzz/FuzzRun.h"
#include "qc/QcProgram.h"

#include <string_view>

namespace {

bool Kept(const std::string& w)
{
    return !w.empty() && w.find('/') == std::string::npos && w != "-" &&
           w.rfind("--json", 0) != 0 && w.rfind("--tsv", 0) != 0 && w.rfind("-n", 0) != 0 &&
           w.rfind("-N", 0) != 0 && w.rfind("-gf", 0) != 0 && w.rfind("-GF", 0) != 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const std::size_t eol = std::min(in.find('\n'), in.size());
    const std::string_view rest = in.substr(std::min(eol + 1, in.size()));
    const std::string file =
        WriteInput("qc.10o", reinterpret_cast<const std::uint8_t*>(rest.data()), rest.size());
    std::vector<std::string> words{"kestrova-qc",          file,    "--json",
                                   ScratchFile("qc.json"), "--tsv", ScratchFile("qc.tsv")};
    std::string w;
    for (char c : in.substr(0, eol)) {
        if (c == ' ' || c == '\0') {
            if (Kept(w)) words.push_back(w);
            w.clear();
        } else {
            w.push_back(c);
        }
    }
    if (Kept(w)) words.push_back(w);
    RunGuarded([&words] {
        std::vector<const char*> argv;
        for (const std::string& s : words) argv.push_back(s.c_str());
        RunQc(static_cast<int>(argv.size()), argv.data());
    });
    return 0;
}
