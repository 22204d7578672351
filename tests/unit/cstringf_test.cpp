// SPDX-License-Identifier: BSD-2-Clause
#include "PROGINC/cstringf.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace {

// substr with a length, or without one for a negative n.
std::string Sub(const char* s, int pos, int n)
{
    char out[16] = "garbage";
    n < 0 ? substr(s, pos, out) : substr(s, pos, n, out);
    return out;
}

template <void (*Trim)(char*)> std::string Trimmed(const char* s)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%s", s);
    Trim(buf);
    return buf;
}

} // namespace

TEST(cstringf, SubstrAndIndexLastStayInsideTheText)
{
    EXPECT_EQ(Sub("abc", 5, 2) + Sub("abc", 3, 2) + Sub("abc", -1, 2) + Sub("abc", 9, -1), "");
    EXPECT_EQ(Sub("abc", 1, 5), "bc");
    EXPECT_EQ(Sub("abcdef", 1, 3), "bcd");
    EXPECT_EQ(Sub("abc", 1, -1), "bc");
    EXPECT_EQ(indexLast("a.b.c", '.'), 3);
    EXPECT_EQ(indexLast(".abc", '.'), 0);
    EXPECT_EQ(indexLast("abc", '.'), -1);
    EXPECT_EQ(indexLast("abc", '\0'), 3);
}

TEST(cstringf, TrimRemovesBlanksOnly)
{
    EXPECT_EQ(Trimmed<trim>("  a b  "), "a b");
    EXPECT_EQ(Trimmed<triml>("  ab  "), "ab  ");
    EXPECT_EQ(Trimmed<trimr>("  ab  "), "  ab");
    EXPECT_EQ(Trimmed<trimr>("   ") + Trimmed<triml>("   ") + Trimmed<trim>(""), "");
    EXPECT_EQ(Trimmed<trim>("\tab\t "), "\tab\t");
}
