#include "GNSS/GLNSat.h"

GLNSat::GLNSat() : file{}, IsGLNSat(false), nsat(0) { lastEph.Set(88068, 86399); }

void GLNSat::SetFile(const char*) {}

void GLNSat::ReadFile() {}

long double GLNSat::GetFreqNum(short, const mjd&)
{
    IsGLNSat = false;
    return 0;
}
