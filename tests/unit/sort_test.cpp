// SPDX-License-Identifier: BSD-2-Clause
#include "matrix/UniqList.h"

#include <gtest/gtest.h>
#include <iostream>
#include <vector>

namespace {

template <class T> matrix<T> Column(const std::vector<T>& values)
{
    matrix<T> m(static_cast<long>(values.size()), 1, T{});
    for (long i = 0; i < m.NRow(); i++) m(i) = values[i];
    return m;
}

template <class T> std::vector<T> Values(const matrix<T>& m)
{
    std::vector<T> out;
    for (long i = 0; i < m.NRow(); i++) out.push_back(m(i));
    return out;
}

} // namespace

TEST(sort, SortedCopyInTheTypesOwnOrder)
{
    matrix<short> in = Column<short>({12, 3, -7, 3});
    EXPECT_EQ(Values(sort(in)), (std::vector<short>{-7, 3, 3, 12}));
    EXPECT_EQ(Values(in), (std::vector<short>{12, 3, -7, 3}));
    matrix<unsigned short> u = Column<unsigned short>({65000, 5, 40000});
    EXPECT_EQ(Values(sort(u)), (std::vector<unsigned short>{5, 40000, 65000}));
    EXPECT_EQ(Values(sort(in, SortOrder::Descending)), (std::vector<short>{12, 3, 3, -7}));
}

TEST(UniqList, DistinctValuesAscendingAndNoneForAnEmptyList)
{
    matrix<short> in = Column<short>({105, 2, 105, 17, 2});
    matrix<short> out = UniqList(in);
    EXPECT_EQ(out.NCol(), 1);
    EXPECT_EQ(Values(out), (std::vector<short>{2, 17, 105}));
    matrix<unsigned short> one = Column<unsigned short>({7});
    EXPECT_EQ(Values(UniqList(one)), (std::vector<unsigned short>{7}));
    const std::string stars(60, '*');
    matrix<short> empty;
    EXPECT_EXIT((std::cout.rdbuf(std::cerr.rdbuf()), UniqList(empty)), testing::ExitedWithCode(1),
                testing::Eq("\n" + stars + "\nMATRIX::ERROR:\n\n\tOperator:   ()\n" +
                            "Matrix is not set:  [    0,    0]\n\n" + stars +
                            "\nExiting program...\n\n"));
}
