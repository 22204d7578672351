// SPDX-License-Identifier: BSD-2-Clause
// The rows of one figure for pictures (kestrova-plot -q): the multipath of a code signal, the
// strength of a strength signal or the ROTI of the pair, in the form kestrova-summary
// --plot-data gives a column of a result file.
#ifndef KESTROVA_QC_QCPLOTDATA_H
#define KESTROVA_QC_QCPLOTDATA_H

#include "qc/QcFigures.h"
#include "qc/QcInput.h"

#include <optional>
#include <ostream>
#include <string>

// MP:C5X, SNR:S1C or ROTI.
struct PlotChoice {
    enum class Figure { MP, SNR, ROTI } figure = Figure::MP;
    std::string signal;
};
// The choice of a --plot-data text; none for a text of no figure.
std::optional<PlotChoice> ParsePlotChoice(const std::string& text);

// The comment lines "# rinex:", "# unit:", "# interval:", "# span:", "# arc bias:", then one line
// per value: satellite, seconds since 1970, arc, value, value less its arc's mean (MP; the value
// itself for SNR and ROTI), elevation and azimuth ("-" where none).
void WritePlotData(std::ostream& out, const std::string& file, const QcInput& in, const QcResult& r,
                   const PlotChoice& choice);

#endif
