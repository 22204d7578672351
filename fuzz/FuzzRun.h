// SPDX-License-Identifier: BSD-2-Clause
// One run of kestrova inside a fuzzing process: the phases of main on a fixed command line,
// output into a scratch folder, a fatal exit turned into a normal outcome.
#ifndef KESTROVA_FUZZ_FUZZRUN_H
#define KESTROVA_FUZZ_FUZZRUN_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What a fatal frame throws in the harnesses (their EndAfterFatalFrame()).
struct FatalExit {};

// The scratch folder of this process (made on first use) and a file in it.
const std::string& ScratchDir();
std::string ScratchFile(const char* name);
// Writes the fuzz input to a file of the scratch folder and returns its path.
std::string WriteInput(const char* name, const std::uint8_t* data, std::size_t size);
// Runs run with both streams silenced. A fatal exit ends it through an exception, so destructors
// run.
void RunGuarded(const std::function<void()>& run);
// Runs kestrova's phases with these words (program name excluded), guarded.
void RunKestrova(const std::vector<std::string>& words);

#endif
