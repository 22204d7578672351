// SPDX-License-Identifier: BSD-2-Clause
// A result file given to kestrova-summary: read, summarised and written as a table, as arcs and
// as the plot data of its last column (the navigation files a header names are not read: any path
// of the machine could be named).
#include "fuzz/FuzzRun.h"
#include "summary/ArcSummary.h"
#include "summary/GofReader.h"
#include "summary/PlotData.h"
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
        PrintArcs(out, {file, reader.Header(), summary}, true);
        GofReader again(file);
        if (!again.Header().columns.empty())
            PrintPlotData(out, again, DefaultMWJump, again.Header().columns.back(), {});
    });
    return 0;
}
