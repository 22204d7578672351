// SPDX-License-Identifier: BSD-2-Clause
// RINEX: the file driver that reads one RINEX observation file (RINEX 2, 3 or 4).
#ifndef KESTROVA_GNSS_RINEX_H
#define KESTROVA_GNSS_RINEX_H

#include "GNSS/RINEXData.h"
#include "GNSS/RINEXHeader.h"
#include "GNSS/ReadRequest.h"
#include "GNSS/mjd.h"
#include "PROGINC/InputText.h"

#include <istream>
#include <memory>
#include <string>
#include <vector>

// What the reader found beside what the header says: the header record keeps the file's own
// values, these are the ones the data gave.
struct ReadFacts {
    // The smallest spacing of the epochs, or the header's interval where that is smaller, set to
    // a whole second within 0.005 s; -1 when neither tells.
    float interval = -1;
    // The first and last epoch read, and the time systems of the header's first and last
    // observation ("GPS" where it names none).
    mjd first, last;
    std::string firstTimeSystem, lastTimeSystem;
    // The stand-ins the file's types call for (StandInsOf): those made at reading are made, the
    // others wait for the run's corrections (RINEX::MakeStandIn).
    std::vector<StandIn> standIns;

    // The stand-in for type t, nullptr where the file calls for none.
    const StandIn* StandInFor(RINEXObsType t) const;
};

class RINEX {
  public:
    char rinexfile[256];
    RINEXHeader& rhead;
    RINEXData& rdata;
    unsigned long nepoch;
    unsigned long nobsall;
    bool IsTimeCorr;
    // The whole file, read once for both passes (mapped, or decompressed into memory).
    InputText input;

    RINEX(RINEXHeader& rheadi, RINEXData& rdatai);
    RINEX(const RINEX&) = delete;
    RINEX& operator=(const RINEX&) = delete;

    void SetFile(const char* file);
    // Reads the file for what request asks; the facts are kept in facts.
    const ReadFacts& ReadFile(const ReadRequest& request = ReadRequest());
    ReadFacts facts;
    // A fresh stream on the file, from its start, for one pass; the first call reads the file.
    std::unique_ptr<std::istream> OpenInput();
    // The stand-in for type t that waits for the corrections, made in the store; nothing where the
    // file calls for none.
    void MakeStandIn(RINEXObsType t);
    // The stand-in C2 for P2, when the file calls for it.
    void copyC2toP2() { MakeStandIn(tP2); }
    // A RINEX 3 or 4 file whose header gives GLONASS channels ("GLONASS SLOT / FRQ #"). Sets the
    // file and reads it (once: ReadFile reads the same text).
    bool HasHeaderGlonassChannels(const char* file);
    [[noreturn]] void RINEXError(const char* warn);
    void RINEXWarning(const char* warn);

  private:
    // Reads the file (and decodes it) unless it is held already.
    void LoadInput();
    void WarnIfCut();
    // The text was read for HasHeaderGlonassChannels: the next SetFile of the name keeps it.
    bool headerSeen = false;
};

#endif
