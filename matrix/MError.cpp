// SPDX-License-Identifier: BSD-2-Clause
#include "matrix/MError.h"

#include "PROGINC/ProgramError.h"

#include <iomanip>
#include <iostream>

namespace {

const char* const Stars = "************************************************************";

void Opening() { std::cout << '\n' << Stars << "\nMATRIX::ERROR:\n"; }

[[noreturn]] void Closing()
{
    std::cout << Stars << "\nExiting program...\n\n";
    ExitProgram();
}

} // namespace

void Error(const char* err, long i, long r)
{
    Opening();
    std::cout << "\n\t" << err << std::setfill(' ') << std::setw(5) << i << " -> [" << std::setw(5)
              << 0 << "," << std::setw(5) << r << "]\n\n";
    Closing();
}

void invError(const char* err, long r, long c)
{
    Opening();
    std::cout << "\n\t" << err << " [" << std::setfill(' ') << std::setw(5) << r << ","
              << std::setw(5) << c << "]\n\n";
    Closing();
}

void AllocError(long r, long c) { invError("Resize:   ()\nNot enough memory for matrix: ", r, c); }
