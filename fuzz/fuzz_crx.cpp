// The Compact RINEX decoder on the input held in memory; a framed error ends a run normally.
#include "GNSS/CompactRINEX.h"
#include "PROGINC/ProgramError.h"

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <streambuf>
#include <string>

namespace {

struct FramedError {};

[[noreturn]] void ThrowFramedError() { throw FramedError{}; }

// The frames go to standard output; thrown away here.
class Discard : public std::streambuf {
  protected:
    int overflow(int c) override { return c; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Discard discard;
    SetExitHook(ThrowFramedError);
    std::streambuf* out = std::cout.rdbuf(&discard);
    try {
        std::string rinex = DecodeCompactRINEX({reinterpret_cast<const char*>(data), size});
        // every line of the text it gives ends in LF
        if (!rinex.empty() && rinex.back() != '\n') __builtin_trap();
    } catch (const FramedError&) {
    }
    std::cout.rdbuf(out);
    return 0;
}
