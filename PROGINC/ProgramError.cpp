// SPDX-License-Identifier: BSD-2-Clause
#include "PROGINC/ProgramError.h"

#include "PROGINC/ResultFile.h"

#include <iostream>
#include <ostream>

namespace {

void WarningFrame(std::ostream& out, const char* prog, const char* warn)
{
    out << "\n#### " << prog << ": Warning -> " << warn << " ####\n"
        << "     Continuing " << prog << " ... \n\n";
    out.flush();
}

} // namespace

void ExitProgram()
{
    std::cout.flush();
    std::cerr.flush();
    RemovePendingResult();
    EndAfterFatalFrame();
}

void ProgramError(const char* prog, const char* error)
{
    std::cerr << "\n**** " << prog << ": Error -> " << error << " ****\n"
              << "     Exiting " << prog << " ... \n\n";
    ExitProgram();
}

void ClassFrame(const char* marker, const char* cls, const char* kind, const char* text,
                const char* tail, bool emptyLineAfter)
{
    std::cout << "\n"
              << marker << " " << cls << ": " << kind << " -> " << text << " " << marker
              << "\n     " << tail << " ... \n";
    if (emptyLineAfter) std::cout << "\n";
    std::cout.flush();
}

std::ostream& ProgressLine(std::ostream& out, const char* method)
{
    return out << ProgName << "::" << method << "():";
}

void ProgramWarning(const char* prog, const char* warn) { WarningFrame(std::cerr, prog, warn); }

void ProgramWarningCout(const char* prog, const char* warn) { WarningFrame(std::cout, prog, warn); }
