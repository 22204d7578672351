// SPDX-License-Identifier: BSD-2-Clause
// A result file given to kestrova-summary: read, summarised and written as a table.
#include "fuzz/FuzzRun.h"
#include "summary/ArcSummary.h"
#include "summary/GofReader.h"
#include "summary/SummaryTable.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string file = WriteInput("result.gof", data, size);
    RunGuarded([&file] {
        GofReader reader(file);
        FileSummary summary(reader.Header(), DefaultMWJump);
        summary.TakeAll(reader);
        std::ostringstream out;
        PrintTable(out, {file, reader.Header(), summary});
    });
    return 0;
}
