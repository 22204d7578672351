// SPDX-License-Identifier: BSD-2-Clause
// kestrova-summary: the quality summary of Kestrova result files, one after the other.
#include "PROGINC/ProgramError.h"
#include "summary/ArcSummary.h"
#include "summary/GofReader.h"
#include "summary/PlotData.h"
#include "summary/SkyGrid.h"
#include "summary/SummaryTable.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* Usage =
    "usage: kestrova-summary [--tsv | --arcs] [--mw-jump=METRES] RESULT.gof...\n"
    "       kestrova-summary --columns RESULT.gof\n"
    "       kestrova-summary --plot-data=COLUMN [--sats=LIST] [--mw-jump=METRES] RESULT.gof\n";
constexpr std::string_view JumpOption = "--mw-jump=", PlotOption = "--plot-data=",
                           SatsOption = "--sats=";

enum class Form { Table, Tsv, Arcs, Columns, PlotData };

struct Options {
    Form form = Form::Table;
    std::int64_t mwJump = DefaultMWJump; // mm
    std::string column;
    SatelliteChoice sats;
    std::vector<std::string> files;
};

[[noreturn]] void Fail(const std::string& text) { ProgramError(SummaryName, text.c_str()); }

Options ParseOptions(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--tsv") {
            o.form = Form::Tsv;
        } else if (a == "--arcs") {
            o.form = Form::Arcs;
        } else if (a == "--columns") {
            o.form = Form::Columns;
        } else if (a == "--help" || a == "-h") {
            std::cout << Usage;
            std::exit(0);
        } else if (a.starts_with(JumpOption)) {
            if (!ParseDecimal(a.substr(JumpOption.size()), 3, o.mwJump) || o.mwJump <= 0)
                Fail(std::string(a) + " - THE MW JUMP MUST BE A POSITIVE NUMBER OF METRES!");
        } else if (a.starts_with(PlotOption)) {
            o.form = Form::PlotData;
            o.column = a.substr(PlotOption.size());
        } else if (a.starts_with(SatsOption)) {
            if (!o.sats.Parse(a.substr(SatsOption.size())))
                Fail(std::string(a) + " - NOT A LIST OF SATELLITES AND SYSTEM LETTERS!");
        } else if (a.starts_with("--")) {
            Fail("UNKNOWN OPTION: " + std::string(a) + "!");
        } else {
            o.files.emplace_back(a);
        }
    }
    if (o.files.empty()) Fail("NO RESULT FILE NAMED!");
    if ((o.form == Form::PlotData || o.form == Form::Columns) && o.files.size() > 1)
        Fail("--plot-data AND --columns TAKE ONE RESULT FILE!");
    return o;
}

// Reads the whole file before anything of it is written, so that a file that stops with an
// error leaves no half table behind.
void Summarise(const std::string& file, const Options& o, bool first)
{
    GofReader reader(file);
    if (o.form == Form::Columns) {
        for (const std::string& c : reader.Header().columns) std::cout << c << "\n";
        return;
    }
    if (o.form == Form::PlotData) {
        PrintPlotData(std::cout, reader, o.mwJump, o.column, o.sats);
        return;
    }
    SkyGrid sky;
    const std::vector<std::string>& columns = reader.Header().columns;
    if (o.form != Form::Arcs && std::find(columns.begin(), columns.end(), "EL") != columns.end())
        sky.Load(reader.Header(), file);
    FileSummary summary(reader.Header(), o.mwJump, &sky);
    summary.TakeAll(reader);
    const SummaryOf s{file, reader.Header(), summary};
    switch (o.form) {
    case Form::Tsv:
        if (first) PrintTsvHeading(std::cout);
        PrintTsv(std::cout, s);
        break;
    case Form::Arcs: PrintArcs(std::cout, s, first); break;
    default:
        if (!first) std::cout << "\n";
        PrintTable(std::cout, s);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const Options o = ParseOptions(argc, argv);
    for (std::size_t i = 0; i < o.files.size(); ++i) Summarise(o.files[i], o, i == 0);
    std::cout.flush();
    if (!std::cout) Fail("SUMMARY CAN NOT BE WRITTEN!");
    return 0;
}
