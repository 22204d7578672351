#include "GNSS/gnssobsshort.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

std::string Text(long double v)
{
    gnssobsshort o;
    o.obs = v;
    std::ostringstream out;
    out << o;
    return out.str();
}

} // namespace

TEST(gnssobsshort, FieldGivesTheValueOnly)
{
    gnssobsshort o;
    o >> "        45.00017";
    EXPECT_EQ(o.obs, 45);
    o >> "                ";
    EXPECT_TRUE(o.IsNull());
    o >> "  -1234.5";
    EXPECT_EQ(o.obs, -1234.5);
}

TEST(gnssobsshort, MissingBelowATenThousandth)
{
    gnssobsshort o;
    o.obs = 0.000005L;
    EXPECT_TRUE(o.IsNull());
    o.obs = 0.00002L;
    EXPECT_FALSE(o.IsNull());
    EXPECT_EQ(Text(45), "    45.000 0 0");
    EXPECT_EQ(Text(-3210.125L), " -3210.125 0 0");
    EXPECT_EQ(Text(0.00002L), "     0.000 0 0");
    EXPECT_EQ(Text(0), "     *.*** * *");
}
