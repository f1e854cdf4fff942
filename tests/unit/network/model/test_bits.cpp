// Bit matrix and bit array: word layout, borders, out-of-range reads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <stdexcept>
#include <utility>

#include "network/MatriceBin.h"
#include "network/TableauBit.h"

TEST(MatriceBin, WordsPerRow)
{
    struct
    {
        unsigned cols;
        int words;
    } cases[] = {{0, 1}, {1, 1}, {63, 1}, {64, 2}, {65, 2}, {127, 2}, {128, 3}};
    for (auto c : cases)
    {
        MatriceBin m(3, c.cols);
        EXPECT_EQ(m.size, c.words) << c.cols << " columns";
    }
}

TEST(MatriceBin, BitsAtWordBordersAgainstASet)
{
    const unsigned L = 5, C = 130;
    MatriceBin m(L, C);
    std::set<std::pair<unsigned, unsigned>> on;
    unsigned borderCols[] = {0, 62, 63, 64, 65, 127, 128, 129};
    for (unsigned i = 0; i < L; i++)
        for (unsigned j : borderCols)
            if ((i + j) % 3 != 1)
            {
                m.add(i, j);
                on.insert({i, j});
            }
    srand(3);
    for (int k = 0; k < 100; k++)
    {
        unsigned i = rand() % L, j = rand() % C;
        m.add(i, j);
        on.insert({i, j});
    }
    for (unsigned i = 0; i < L; i++)
        for (unsigned j = 0; j < C; j++) ASSERT_EQ(m.get(i, j), (int)on.count({i, j})) << i << "," << j;
    // Bit (i, j) is bit j mod 64 of word j / 64.
    MatriceBin one(1, 70);
    one.add(0, 65);
    EXPECT_EQ(one.matrice[0][0], 0u);
    EXPECT_EQ(one.matrice[0][1], (uint64_t)1 << 1);
}

TEST(MatriceBin, ReadsOutsideTheMatrixAnswerZero)
{
    // 64 columns take two words, so column 64 exists in memory but not in the matrix.
    MatriceBin m(2, 64);
    m.matrice[1][1] = ~(uint64_t)0;
    m.add(1, 63);
    EXPECT_EQ(m.get(1, 63), 1);
    EXPECT_EQ(m.get(1, 64), 0);
    EXPECT_EQ(m.get(2, 0), 0);
    EXPECT_EQ(m.get((unsigned)-1, 0), 0);
    EXPECT_EQ(m.get(0, (unsigned)-1), 0);
    MatriceBin empty(0, 0);
    EXPECT_EQ(empty.get(0, 0), 0);
}

TEST(MatriceBin, HugeMatrixIsAClearErrorNotAnAllocation)
{
    EXPECT_THROW(MatriceBin(1000000000u, 1000000000u), std::runtime_error);
    EXPECT_THROW(MatriceBin(4294967295u, 4294967295u), std::runtime_error);
}

TEST(TableauBit, WordsAndBorders)
{
    struct
    {
        unsigned bits;
        int words;
    } cases[] = {{0, 1}, {63, 1}, {64, 2}, {128, 3}};
    for (auto c : cases)
    {
        TableauBit t(c.bits);
        EXPECT_EQ(t.size, c.words) << c.bits << " bits";
        TableauBit u;
        u.initTab((int)c.bits);
        EXPECT_EQ(u.size, c.words);
    }
    TableauBit t(200);
    unsigned border[] = {0, 63, 64, 127, 128, 191, 199};
    for (unsigned i : border) t.setTrue(i);
    for (unsigned i = 0; i < 200; i++)
    {
        bool expected = false;
        for (unsigned b : border) expected |= b == i;
        ASSERT_EQ(t.get(i), expected ? 1 : 0) << i;
    }
    t.setFalse(64);
    t.set(65, 1);
    t.set(63, 0);
    EXPECT_EQ(t.get(64), 0);
    EXPECT_EQ(t.get(65), 1);
    EXPECT_EQ(t.get(63), 0);
    EXPECT_EQ(t.get(127), 1);
    t.reset();
    for (unsigned i = 0; i < 64u * t.size; i++) ASSERT_EQ(t.get(i), 0);
    // A large table (page mapping) behaves the same, reset included.
    TableauBit big(1u << 24);
    EXPECT_TRUE(big.mapped);
    EXPECT_EQ(big.size, (1 << 18) + 1);
    for (unsigned i : {0u, 63u, 64u, (1u << 24) - 1, 1u << 24}) big.setTrue(i);
    EXPECT_EQ(big.get(1u << 24), 1);
    EXPECT_EQ(big.get((1u << 24) - 2), 0);
    big.reset();
    for (unsigned i : {0u, 63u, 64u, (1u << 24) - 1, 1u << 24}) EXPECT_EQ(big.get(i), 0);
    big.initTab(100);
    EXPECT_FALSE(big.mapped);
    EXPECT_EQ(big.get(64), 0);
    // Re-initialising gives a fresh, clear table of the new size.
    t.setTrue(5);
    t.initTab(10);
    EXPECT_EQ(t.size, 1);
    EXPECT_EQ(t.get(5), 0);
}
