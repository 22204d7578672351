// SPDX-License-Identifier: BSD-2-Clause
// The two forms of a summary: the aligned table for people and the tab-separated one for
// scripts. Both write "-" where a figure does not exist.
#ifndef KESTROVA_SUMMARY_SUMMARYTABLE_H
#define KESTROVA_SUMMARY_SUMMARYTABLE_H

#include "summary/ArcSummary.h"

#include <ostream>
#include <string>
#include <vector>

struct SummaryOf {
    const std::string& file;
    const GofHeader& header;
    FileSummary& summary;
};

// Title lines (inputs, grid, arc rules), then one line per satellite and total, with the spread
// columns the file lists; a file without rows gets a line that says so instead of the table.
void PrintTable(std::ostream& out, SummaryOf s);

// The heading line of the tab-separated form: every spread column, listed by the file or not.
void PrintTsvHeading(std::ostream& out);
void PrintTsv(std::ostream& out, SummaryOf s);

// The arcs, tab-separated: a heading line when first, then per satellite (in the table's order)
// one line per arc: file, satellite, first and last epoch, rows, why it ended, and for a jump the
// step in metres ("-" otherwise).
void PrintArcs(std::ostream& out, SummaryOf s, bool first);

#endif
