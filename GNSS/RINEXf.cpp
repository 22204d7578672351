#include "GNSS/RINEXf.h"

#include "PROGINC/ParseArgument.h"

short RinexSatNumber(char letter, int nn)
{
    switch (letter) {
    case 'G': case ' ': case 'R': case 'E': case 'C': case 'S': return SatNumber(letter, nn);
    case 'J': return static_cast<short>(500 + nn);
    default: return static_cast<short>(600 + nn);
    }
}
