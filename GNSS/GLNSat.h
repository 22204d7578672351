// GLNSat: the GLONASS frequency-channel table read from a channel file.
#ifndef KESTROVA_GNSS_GLNSAT_H
#define KESTROVA_GNSS_GLNSAT_H

#include "GNSS/mjd.h"
#include "GNSS/ymdhms.h"
#include "matrix/matrix.h"

class GLNSat {
  public:
    char file[256];
    bool IsGLNSat;
    long nsat;
    matrix<short> sat;
    matrix<mjd> eph;
    matrix<long double> FreqChannel;
    ymdhms dm;
    mjd lastEph;

    GLNSat();
    void SetFile(const char* path);
    void ReadFile();
    long double GetFreqNum(short satprn, const mjd& seph);
    bool GetIsGLNSat() const { return IsGLNSat; }
};

#endif
