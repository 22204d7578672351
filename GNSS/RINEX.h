// SPDX-License-Identifier: BSD-2-Clause
// RINEX: the file driver that counts, sizes and reads one RINEX observation file (RINEX 2, 3
// or 4).
#ifndef KESTROVA_GNSS_RINEX_H
#define KESTROVA_GNSS_RINEX_H

#include "GNSS/RINEXData.h"
#include "GNSS/RINEXHeader.h"
#include "PROGINC/InputText.h"

#include <istream>
#include <memory>
#include <string>

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
    void ReadFile();
    void CountRec();
    // A fresh stream on the file, from its start, for one pass; the first call reads the file.
    std::unique_ptr<std::istream> OpenInput();
    void copyC2toP2();
    // A RINEX 3 or 4 file whose header gives GLONASS channels ("GLONASS SLOT / FRQ #"). Sets the
    // file and reads it (once: ReadFile reads the same text).
    bool HasHeaderGlonassChannels(const char* file);
    [[noreturn]] void RINEXError(const char* warn);
    void RINEXWarning(const char* warn);
    // The epoch line of the record the file ends inside, left out of the counts; empty when the
    // file holds every record it begins.
    std::string cutEpoch;

  private:
    // Reads the file (and decodes it) unless it is held already.
    void LoadInput();
    void WarnIfCut();
    // Why the stream of the file ended early (a compressed or Compact RINEX stream), or empty.
    std::string cutShort;
    // The text was read for HasHeaderGlonassChannels: the next SetFile of the name keeps it.
    bool headerSeen = false;
};

#endif
