// SPDX-License-Identifier: BSD-2-Clause
// Pieces of NUL-terminated strings and blank trimming (outputs go into caller buffers), and the
// small text tests and trims of views that the readers share.
#ifndef KESTROVA_PROGINC_CSTRINGF_H
#define KESTROVA_PROGINC_CSTRINGF_H

#include <string_view>

// A decimal digit, whatever the locale.
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// A text without its leading and trailing blanks and tabs.
std::string_view Trimmed(std::string_view s);

// At most dol characters of str1 from pos into str2 (stops at the end of str1); str2 terminated.
void substr(const char* str1, int pos, int dol, char* str2);
// str1 from pos to its end into str2.
void substr(const char* str1, int pos, char* str2);
// Position of the last c in str, or -1; the terminator itself is found at the string's length.
int indexLast(const char* str, char c);
void trimr(char* niz);
void triml(char* niz);
void trim(char* niz);

#endif
