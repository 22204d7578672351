// SPDX-License-Identifier: BSD-2-Clause
#include "PROGINC/cstringf.h"

#include <cstring>

namespace {

// pos inside str (0 .. its length), or -1 when it lies beyond the terminator or before the start.
bool InString(const char* str, int pos)
{
    if (pos < 0) return false;
    for (int i = 0; i < pos; i++)
        if (str[i] == '\0') return false;
    return true;
}

} // namespace

void substr(const char* str1, int pos, int dol, char* str2)
{
    int i = 0;
    if (InString(str1, pos))
        for (; i < dol && str1[pos + i] != '\0'; i++) str2[i] = str1[pos + i];
    str2[i] = '\0';
}

void substr(const char* str1, int pos, char* str2)
{
    if (!InString(str1, pos)) {
        str2[0] = '\0';
        return;
    }
    std::strcpy(str2, str1 + pos);
}

int indexLast(const char* str, char c)
{
    for (int i = static_cast<int>(std::strlen(str)); i >= 0; i--)
        if (str[i] == c) return i;
    return -1;
}

void trimr(char* niz)
{
    size_t n = std::strlen(niz);
    while (n > 0 && niz[n - 1] == ' ') n--;
    niz[n] = '\0';
}

void triml(char* niz)
{
    size_t k = 0;
    while (niz[k] == ' ') k++;
    if (k > 0) std::memmove(niz, niz + k, std::strlen(niz + k) + 1);
}

void trim(char* niz)
{
    trimr(niz);
    triml(niz);
}

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    return s;
}
