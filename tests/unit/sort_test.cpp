#include "matrix/UniqList.h"
#include "matrix/sort.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <iostream>
#include <string>
#include <vector>

using testing::Eq;
using testing::ExitedWithCode;

namespace {

template <class T> matrix<T> Column(std::initializer_list<T> values)
{
    matrix<T> m(static_cast<long>(values.size()), 1, T{});
    long i = 0;
    for (T v : values) m(i++) = v;
    return m;
}

template <class T> std::vector<T> Values(const matrix<T>& m)
{
    std::vector<T> out;
    for (long i = 0; i < m.Length(); i++) out.push_back(m(i));
    return out;
}

} // namespace

TEST(sort, ReturnsASortedCopyAndLeavesTheInput)
{
    matrix<short> in = Column<short>({12, 3, 7, 3});
    matrix<short> out = sort(in);
    EXPECT_EQ(Values(out), (std::vector<short>{3, 3, 7, 12}));
    EXPECT_EQ(Values(in), (std::vector<short>{12, 3, 7, 3}));
    matrix<short> one = Column<short>({42});
    EXPECT_EQ(Values(sort(one)), (std::vector<short>{42}));
}

TEST(sort, ComparesAsTheElementTypeDoes)
{
    matrix<short> s = Column<short>({5, -3, 0});
    EXPECT_EQ(Values(sort(s)), (std::vector<short>{-3, 0, 5}));
    matrix<unsigned short> u = Column<unsigned short>({65000, 5, 40000});
    EXPECT_EQ(Values(sort(u)), (std::vector<unsigned short>{5, 40000, 65000}));
}

TEST(sort, DescendingWhenSetSo)
{
    matrix<short> in = Column<short>({1, 9, 4, 9});
    sortns::sort = sortns::DISC;
    matrix<short> out = sort(in);
    sortns::sort = sortns::ASC;
    EXPECT_EQ(Values(out), (std::vector<short>{9, 9, 4, 1}));
}

TEST(UniqList, DistinctValuesInAscendingOrder)
{
    matrix<short> in = Column<short>({105, 2, 105, 17, 2});
    matrix<short> out = UniqList(in);
    EXPECT_EQ(out.NRow(), 3);
    EXPECT_EQ(out.NCol(), 1);
    EXPECT_EQ(Values(out), (std::vector<short>{2, 17, 105}));
    EXPECT_EQ(Values(in), (std::vector<short>{105, 2, 105, 17, 2}));
    matrix<unsigned short> same = Column<unsigned short>({7, 7, 7});
    EXPECT_EQ(Values(UniqList(same)), (std::vector<unsigned short>{7}));
}

TEST(UniqList, EmptyListIsTheContainersNotSetDiagnostic)
{
    const std::string stars(60, '*');
    matrix<short> empty;
    EXPECT_EXIT(
        {
            std::cout.rdbuf(std::cerr.rdbuf());
            UniqList(empty);
        },
        ExitedWithCode(1),
        Eq("\n" + stars + "\nMATRIX::ERROR:\n\n\tOperator:   ()\nMatrix is not set:  [    0,    0]\n\n" +
           stars + "\nExiting program...\n\n"));
}
