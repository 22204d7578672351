// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/gnssobsshort.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

std::string Text(const char* field16)
{
    gnssobsshort o;
    o >> field16;
    std::ostringstream out;
    out << o << (o.IsNull() ? " null" : "");
    return out.str();
}

} // namespace

TEST(gnssobsshort, ValueOnlyMissingBelowAHundredThousandth)
{
    EXPECT_EQ(Text("        45.00017"), "    45.000 0 0"); // the flag columns are not read
    EXPECT_EQ(Text("   -3210.125"), " -3210.125 0 0");
    EXPECT_EQ(Text("                "), "     *.*** * * null");
    EXPECT_EQ(Text("       0.00002"), "     0.000 0 0");
    EXPECT_EQ(Text("      0.000005"), "     *.*** * * null");
}
