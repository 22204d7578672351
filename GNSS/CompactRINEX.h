// SPDX-License-Identifier: BSD-2-Clause
// Compact RINEX (Hatanaka compression) decoder: gives back the RINEX observation text of a
// Compact RINEX 1.0 file (RINEX 2 inside) or 3.0 file (RINEX 3 and 4 inside).
// Format: Y. Hatanaka, "A Compression Format and Tools for GNSS Observation Data", Bulletin of the
// Geographical Survey Institute 55 (2008), and the format notes of the Compact RINEX tools.
#ifndef KESTROVA_GNSS_COMPACTRINEX_H
#define KESTROVA_GNSS_COMPACTRINEX_H

#include "PROGINC/InputText.h"

#include <string>
#include <string_view>

// True when the first line of text carries the label "CRINEX VERS   / TYPE".
bool IsCompactRINEX(std::string_view text);

// The RINEX text of a whole Compact RINEX file held in memory: the header without the two
// CRINEX lines, then every epoch written as a RINEX writer writes it (lines end in LF, trailing
// blanks dropped). A malformed stream stops the run through CompactRINEXError, naming the epoch.
// A stream that ends early gives its epochs as far as they go (the last one possibly cut), and
// sets cutShort when given.
std::string DecodeCompactRINEX(std::string_view text, bool* cutShort = nullptr);

// The same, piece by piece: the decoded text goes to out in pieces of whole epochs as it is
// decoded. True when the stream ended early; a malformed stream throws its DeferredFailure.
bool DecodeCompactRINEX(TextSource& text, TextSink& out);
// "Compact RINEX 1.0" for the first line of a Compact RINEX file, empty for any other line.
std::string CompactRINEXName(std::string_view firstLine);

// Compact RINEX as a form of text that InputText undoes.
extern const TextForm CompactRINEXText;

// The class frame of a fatal decoding error, then the program's exit path.
[[noreturn]] void CompactRINEXError(const char* text);

#endif
