// SPDX-License-Identifier: BSD-2-Clause
// The command line: the input is split into words at newlines and NULs after a fixed observation
// file. Words naming paths, result files or standard input are dropped so that a run only reads
// and writes the scratch folder (its current directory).
#include "fuzz/FuzzRun.h"

#include <fstream>

namespace {

bool Kept(const std::string& w)
{
    // -o- would wait for standard input
    return w.find('/') == std::string::npos && w.rfind("-r", 0) != 0 && w.rfind("-R", 0) != 0 &&
           w != "-o-" && w != "-O-";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // a copy in the scratch folder: a run without a result file writes beside it
    static const std::string obs = [] {
        std::string copy = ScratchFile("obs.10o");
        std::ifstream in(std::string(KESTROVA_TEST_DATA) + "/mixed_all_bands.10o",
                         std::ios::binary);
        std::ofstream(copy, std::ios::binary) << in.rdbuf();
        return copy;
    }();
    std::vector<std::string> words{"-o" + obs, "-r" + ScratchFile("out.gof")};
    std::string w;
    for (std::size_t k = 0; k <= size; k++) {
        if (k == size || data[k] == '\n' || data[k] == '\0') {
            if (Kept(w)) words.push_back(w);
            w.clear();
        } else {
            w.push_back(static_cast<char>(data[k]));
        }
    }
    RunKestrova(words);
    return 0;
}
