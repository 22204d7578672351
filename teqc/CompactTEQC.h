// CompactTEQC: a TEQC COMPACT2 multipath file (code-multipath estimates per satellite and epoch).
#ifndef KESTROVA_TEQC_COMPACTTEQC_H
#define KESTROVA_TEQC_COMPACTTEQC_H

#include "GNSS/mjd.h"
#include "matrix/matrix.h"

class CompactTEQC {
  public:
    char compfile[256];
    long nobs;
    long neph;
    short version;
    float interval;
    matrix<unsigned short> sat;
    matrix<unsigned short> nsat;
    matrix<unsigned short> satList;
    matrix<double> obs;
    matrix<bool> slip;
    matrix<mjd> eph;

    CompactTEQC();
    void SetFile(const char* file);
    void ReadFile();
    void CheckData();
    void SetData();
    void ReadData();
    long NObs() const { return nobs; }
    long NEph() const { return neph; }
};

#endif
