// Extension relations: conflict and support semantics, value windows of
// binary matrices, tuple tries against brute-force sets, decomposition.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <set>
#include <stdexcept>
#include <vector>

#include "network/Variable.h"
#include "network/relations/MDD.h"
#include "network/relations/RelationExtBin.h"
#include "network/relations/RelationExtN.h"
#include "network/relations/RelationExtNDec.h"

using Tuple = std::vector<int>;

namespace
{
// Builds the relation as the network builder does: largest values + 1.
RelationExtBin* zeroBased(const std::vector<Tuple>& tuples, bool conflicts)
{
    int a = 0, b = 0;
    for (const Tuple& t : tuples)
    {
        a = std::max(a, t[0]);
        b = std::max(b, t[1]);
    }
    RelationExtBin* r = new RelationExtBin("R", a + 1, b + 1, conflicts);
    for (Tuple t : tuples) r->addTuple(t.data());
    return r;
}

RelationExtBin* windowed(const std::vector<Tuple>& tuples, bool conflicts)
{
    int a0 = INT_MAX, a1 = INT_MIN, b0 = INT_MAX, b1 = INT_MIN;
    for (const Tuple& t : tuples)
    {
        a0 = std::min(a0, t[0]);
        a1 = std::max(a1, t[0]);
        b0 = std::min(b0, t[1]);
        b1 = std::max(b1, t[1]);
    }
    EXPECT_TRUE(RelationExtBin::canBeMatrix(a0, a1, b0, b1));
    RelationExtBin* r = new RelationExtBin("W", a0, a1, b0, b1, conflicts);
    for (Tuple t : tuples) r->addTuple(t.data());
    return r;
}

// All trie paths of one MDD, checking on the way that every child array is
// sorted and that the counters agree.
void walk(const Node* tab, int n, Tuple& cur, std::vector<Tuple>& out)
{
    for (int i = 0; i < n; i++)
    {
        if (i > 0)
        {
            EXPECT_LT(tab[i - 1].val, tab[i].val);
        }
        EXPECT_EQ(tab[i].sumSon, tab[i].numSon);
        cur.push_back(tab[i].val);
        if (!tab[i].tabSon) out.push_back(cur);
        else walk(tab[i].tabSon, (int)tab[i].numSon, cur, out);
        cur.pop_back();
    }
}

std::vector<Tuple> content(const MDD& m)
{
    std::vector<Tuple> out;
    Tuple cur;
    walk(m.root, m.szRoot, cur, out);
    return out;
}

Tuple rotate(const Tuple& t, int j)
{
    Tuple r(t.size());
    for (size_t i = 0; i < t.size(); i++) r[i] = t[(i + j) % t.size()];
    return r;
}
}  // namespace

TEST(RelationExtBin, SemanticsInsideAndOutsideTheMatrix)
{
    std::vector<Tuple> tuples = {{0, 1}, {2, 2}, {3, 0}};
    struct
    {
        Tuple q;
        bool listed;
    } queries[] = {{{0, 1}, true},  {{2, 2}, true},  {{3, 0}, true},   {{1, 1}, false},
                   {{4, 1}, false}, {{3, 3}, false}, {{-1, 1}, false}, {{0, -5}, false},
                   {{100, 1}, false}};
    for (bool conflicts : {false, true})
    {
        RelationExtBin* r = zeroBased(tuples, conflicts);
        EXPECT_EQ(r->getType(), 2);
        EXPECT_EQ(r->getSemantic(), conflicts);
        EXPECT_EQ(r->RelationExt::semanticConflicts, r->semanticConflicts);
        for (auto& c : queries)
        {
            Tuple q = c.q;
            EXPECT_EQ(r->isTuple(q.data()), c.listed != conflicts)
                << q[0] << "," << q[1] << " conflicts=" << conflicts;
        }
        // Values beyond the matrix: every tuple takes the default.
        int outside = conflicts ? 1 : 2;
        EXPECT_EQ(r->state(0, 5), outside);
        EXPECT_EQ(r->state(1, 4), outside);
        EXPECT_EQ(r->state(0, 4), 3);   // the spare row still asks for a search
        EXPECT_EQ(r->state(0, 2), 3);
        EXPECT_EQ(r->state(0, -3), 3);
    }
}

// A matrix over a value window answers exactly as the matrix from 0,
// including its state verdicts, for values below, inside and above it.
TEST(RelationExtBin, WindowedMatrixAnswersLikeTheZeroBasedOne)
{
    srand(11);
    std::vector<Tuple> tuples;
    for (int k = 0; k < 40; k++) tuples.push_back({50 + rand() % 30, 200 + rand() % 70});
    for (bool conflicts : {false, true})
    {
        RelationExtBin* z = zeroBased(tuples, conflicts);
        RelationExtBin* w = windowed(tuples, conflicts);
        EXPECT_LT(MatriceBin::bytesFor(w->m->nbLigne, w->m->nbColonne),
                  MatriceBin::bytesFor(z->m->nbLigne, z->m->nbColonne));
        for (int a = -3; a < 90; a++)
        {
            EXPECT_EQ(w->state(0, a), z->state(0, a)) << a;
            for (int b = 190; b < 280; b++)
            {
                Tuple q = {a, b};
                ASSERT_EQ(w->isTuple(q.data()), z->isTuple(q.data())) << a << "," << b;
                EXPECT_EQ(w->state(1, b), z->state(1, b)) << b;
            }
        }
    }
}

TEST(RelationExtBin, LargeValuesUseASmallWindowOrAreRefused)
{
    struct
    {
        int a0, a1, b0, b1;
        bool ok;
    } cases[] = {
        {0, 100, 0, 100, true},
        {1000000000, 1000000100, 999999000, 999999500, true},
        {0, 1000000000, 0, 3, false},
        {0, 3, 0, 1000000000, false},
        {0, 1000000, 0, 1000000, false},
        {INT_MIN, INT_MAX, INT_MIN, INT_MAX, false},
        {5, 4, 5, 4, true},   // no tuples
    };
    for (auto& c : cases)
        EXPECT_EQ(RelationExtBin::canBeMatrix(c.a0, c.a1, c.b0, c.b1), c.ok)
            << c.a0 << ".." << c.a1 << " x " << c.b0 << ".." << c.b1;
    EXPECT_TRUE(RelationExtBin::canBeZeroBasedMatrix(1000, 1000));
    EXPECT_FALSE(RelationExtBin::canBeZeroBasedMatrix(1000000000, 2));
    EXPECT_FALSE(RelationExtBin::canBeZeroBasedMatrix(-1, 2));

    // Tuples near 10^9 with the support semantic.
    std::vector<Tuple> tuples = {{1000000000, 7}, {1000000005, 9}, {999999999, 8}};
    RelationExtBin* w = windowed(tuples, false);
    for (Tuple q : tuples) EXPECT_TRUE(w->isTuple(q.data()));
    Tuple miss[] = {{1000000000, 9}, {0, 7}, {INT_MAX, 7}, {INT_MIN, 8}, {1000000006, 9}};
    for (Tuple q : miss) EXPECT_FALSE(w->isTuple(q.data()));
    EXPECT_EQ(w->state(0, INT_MAX), 2);
    EXPECT_EQ(w->state(1, INT_MAX), 2);

    // A window at the top of the int range: the bottom of the range, whose
    // 32-bit difference would wrap into the matrix, stays outside.
    RelationExtBin* top = windowed({{INT_MAX, INT_MAX - 1}, {INT_MAX - 1, INT_MAX}}, false);
    Tuple wrap[] = {{INT_MIN, INT_MAX}, {INT_MAX, INT_MIN}, {INT_MIN + 1, INT_MIN}, {INT_MIN, INT_MIN + 1}};
    for (Tuple q : wrap) EXPECT_FALSE(top->isTuple(q.data())) << q[0] << "," << q[1];
    Tuple hit = {INT_MAX, INT_MAX - 1};
    EXPECT_TRUE(top->isTuple(hit.data()));

    // No tuples: the window constructor gives the 0-based empty matrix.
    RelationExtBin empty("E", INT_MAX, INT_MIN, INT_MAX, INT_MIN, true);
    RelationExtBin empty0("E0", 1, 1, true);
    for (int v = -2; v < 5; v++)
    {
        EXPECT_EQ(empty.state(0, v), empty0.state(0, v));
        Tuple q = {v, v};
        EXPECT_TRUE(empty.isTuple(q.data()));
    }
    EXPECT_THROW(RelationExtBin("H", INT_MIN, INT_MAX, 0, 1, false), std::runtime_error);
}

TEST(RelationExtN, SmallTupleUnderBothSemantics)
{
    for (bool conflicts : {false, true})
    {
        RelationExtN r("R", 3, conflicts);
        int t[] = {1, 2, 3};
        r.addTuple(t);
        EXPECT_EQ(t[0], 1);   // the tuple comes back in its order
        EXPECT_EQ(t[2], 3);
        r.sortTabTuple();
        EXPECT_EQ(r.getType(), 1);
        int q1[] = {1, 2, 3}, q2[] = {1, 2, 4}, q3[] = {2, 3, 1};
        EXPECT_EQ(r.isTuple(q1), !conflicts);
        EXPECT_EQ(r.isTuple(q2), conflicts);
        EXPECT_EQ(r.isTuple(q3), conflicts);
        EXPECT_EQ(r.state(0, 1), 3);
        EXPECT_EQ(content(r.getMDDToInd(0)), (std::vector<Tuple>{{1, 2, 3}}));
        EXPECT_EQ(content(r.getMDDToInd(1)), (std::vector<Tuple>{{2, 3, 1}}));
        EXPECT_EQ(content(r.getMDDToInd(2)), (std::vector<Tuple>{{3, 1, 2}}));
        EXPECT_EQ(r.getMinValPos(2), 3);
        EXPECT_EQ(r.getMaxValPos(0), 1);
    }
}

// Random tables with negative, sparse and repeated values: every trie holds
// exactly the rotated set, sorted, and isTuple agrees with the set on a box.
TEST(RelationExtN, TriesAndQueriesAgainstABruteForceSet)
{
    const int pool[] = {-1000000, -7, -1, 0, 2, 3, 9, 64, 65, 1000000000};
    const int P = sizeof(pool) / sizeof(pool[0]);
    srand(99);
    for (int arity = 1; arity <= 4; arity++)
        for (int rep = 0; rep < 6; rep++)
        {
            bool conflicts = rep % 2;
            RelationExtN r("R", arity, conflicts);
            std::set<Tuple> set;
            int n = rep == 0 ? 0 : 1 + rand() % 150;
            for (int k = 0; k < n; k++)
            {
                Tuple t(arity);
                for (int& x : t) x = pool[rand() % P];
                set.insert(t);
                r.addTuple(t.data());
                if (k % 5 == 0) r.addTuple(t.data());   // duplicates are stored once
            }
            r.sortTabTuple();
            for (int j = 0; j < arity; j++)
            {
                std::set<Tuple> rot;
                for (const Tuple& t : set) rot.insert(rotate(t, j));
                std::vector<Tuple> got = content(r.getMDDToInd(j));
                EXPECT_EQ(got, std::vector<Tuple>(rot.begin(), rot.end())) << "arity " << arity << " trie " << j;
                EXPECT_EQ(r.getMDDToInd(j).sumSon, (int)set.size());
            }
            for (int i = 0; i < arity && n > 0; i++)
            {
                int lo = INT_MAX, hi = INT_MIN;
                for (const Tuple& t : set)
                {
                    lo = std::min(lo, t[i]);
                    hi = std::max(hi, t[i]);
                }
                EXPECT_EQ(r.getMinValPos(i), lo);
                EXPECT_EQ(r.getMaxValPos(i), hi);
            }
            // Every combination of pool values plus one value absent from the pool.
            int total = 1;
            for (int i = 0; i < arity; i++) total *= P + 1;
            Tuple q(arity);
            for (int code = 0; code < total; code++)
            {
                int c = code;
                for (int i = 0; i < arity; i++, c /= P + 1) q[i] = (c % (P + 1) == P) ? 5 : pool[c % (P + 1)];
                ASSERT_EQ(r.isTuple(q.data()), set.count(q) != conflicts);
            }
        }
}

TEST(RelationExtN, TuplesAddedAfterSortingAreFound)
{
    RelationExtN r("R", 2, false);
    int a[] = {3, 4}, b[] = {1, 9}, c[] = {3, 1};
    r.addTuple(a);
    r.sortTabTuple();
    r.addTuple(b);
    r.addTuple(c);
    EXPECT_TRUE(r.isTuple(b));
    r.sortTabTuple();
    EXPECT_EQ(content(r.getMDDToInd(0)), (std::vector<Tuple>{{1, 9}, {3, 1}, {3, 4}}));
    EXPECT_EQ(content(r.getMDDToInd(1)), (std::vector<Tuple>{{1, 3}, {4, 3}, {9, 1}}));
    // A tuple already stored before the rebuild is not stored twice.
    r.addTuple(a);
    EXPECT_EQ(r.getNbTuples(), 3);
    EXPECT_TRUE(r.isTuple(a));
}

TEST(RelationExtN, AffListsTheFirstTrie)
{
    RelationExtN r("R", 2, true);
    int a[] = {5, -2}, b[] = {1, 0};
    r.addTuple(a);
    r.addTuple(b);
    r.sortTabTuple();
    testing::internal::CaptureStdout();
    r.aff();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Relation n-aire  Semantic = 1\nOn affiche le MDD 0\n1  0  \n5  -2  \n");
}

// Tuples added one at a time (shared prefixes, appended leaves) then sorted
// give the same trie as the bulk build.
TEST(MDD, IncrementalInsertionMatchesBulkBuild)
{
    srand(5);
    for (int sz = 1; sz <= 4; sz++)
    {
        MDD inc, bulk;
        std::vector<int> flat;
        std::set<Tuple> set;
        for (int k = 0; k < 200; k++)
        {
            Tuple t(sz);
            for (int& x : t) x = rand() % 7 - 3;
            inc.addTuple(t.data(), sz);
            flat.insert(flat.end(), t.begin(), t.end());
            set.insert(t);
        }
        inc.sortMDD();
        bulk.buildFrom(flat.data(), (int)flat.size() / sz, sz);
        std::vector<Tuple> expected(set.begin(), set.end());
        EXPECT_EQ(content(inc), expected);
        EXPECT_EQ(content(bulk), expected);
        EXPECT_EQ(inc.sumSon, (int)set.size());
        EXPECT_EQ(bulk.sumSon, (int)set.size());
        // Adding to a bulk-built trie keeps it whole.
        Tuple extra(sz, 100);
        bulk.addTuple(extra.data(), sz);
        bulk.sortMDD();
        expected.push_back(extra);
        EXPECT_EQ(content(bulk), expected);
    }
}

TEST(MDD, FindSonBinarySearch)
{
    for (int n = 0; n <= 6; n++)
    {
        std::vector<Node> tab(n);
        for (int i = 0; i < n; i++) tab[i] = Node{2 * i - 3, 0, 0, nullptr};
        for (int v = -6; v <= 2 * n; v++)
        {
            Node* f = MDD::findSon(tab.data(), n, v);
            bool present = n > 0 && (v + 3) % 2 == 0 && (v + 3) / 2 >= 0 && (v + 3) / 2 < n;
            ASSERT_EQ(f != nullptr, present) << "n=" << n << " v=" << v;
            if (f)
            {
                EXPECT_EQ(f->val, v);
            }
        }
    }
}

TEST(MDD, ProjectionKeepsLiveTuplesAndMarkedPositions)
{
    MDD m;
    int flat[] = {1, 2, 3, 1, 4, 3, 2, 2, 3, 1, 2, 5};
    m.buildFrom(flat, 4, 3);
    // Live values per level: level 0 {1}, level 1 {2, 4}, level 2 {3}; values from dec = 1.
    unsigned proj[6] = {0};
    proj[1 - 1] |= 1;
    proj[2 - 1] |= 2;
    proj[4 - 1] |= 2;
    proj[3 - 1] |= 4;
    bool print[3] = {false, true, false};
    int t[3];
    std::vector<unsigned> res;
    m.projAndPutInVec(t, 3, print, proj, res, 1);
    EXPECT_EQ(res, (std::vector<unsigned>{2, 4}));
    // A bounded mask ignores values beyond it.
    res.clear();
    m.projAndPutInVec(t, 3, print, proj, res, 1, 2);
    EXPECT_TRUE(res.empty());
}

TEST(RelationExtNDec, PartsPairValuesWithTupleIndices)
{
    int t0[] = {1, 2, 3}, t1[] = {4, 5, 6};
    std::vector<int*> tuples = {t0, t1};
    RelationExtNDec d("R", 3, false, tuples);
    EXPECT_EQ(d.getType(), 1);
    EXPECT_EQ(d.getNbTuples(), 2);
    int q[] = {1, 2, 3};
    EXPECT_FALSE(d.isTuple(q));
    RelationExt** parts = d.getTabRelation();
    for (int j = 0; j < 3; j++)
    {
        RelationExtN* p = static_cast<RelationExtN*>(parts[j]);
        EXPECT_EQ(p->getName(), "R-" + std::to_string(j));
        EXPECT_FALSE(p->getSemantic());
        EXPECT_EQ(content(p->getMDDToInd(0)), (std::vector<Tuple>{{t0[j], 0}, {t1[j], 1}}));
        int miss[] = {t0[j], 1};
        EXPECT_FALSE(p->isTuple(miss));
    }
}

TEST(RelationExtN, BigTableCoversTheLargestRangeEvenWhenHuge)
{
    int saved = Variable::largestInter;
    Variable::largestInter = 130;
    RelationExtN::initBigTable(3);
    EXPECT_EQ(RelationExtN::sizeBigTable, 3);
    for (int i = 0; i < 3; i++)
    {
        EXPECT_EQ(RelationExtN::bigTable[i].size, 3);
        RelationExtN::bigTable[i].setTrue(130);
        EXPECT_EQ(RelationExtN::bigTable[i].get(129), 0);
    }
    // A range of 2^31 values: the tables exist, and only written pages count.
    Variable::largestInter = INT_MAX;
    ASSERT_NO_THROW(RelationExtN::initBigTable(4));
    for (int i = 0; i < 4; i++)
    {
        TableauBit& t = RelationExtN::bigTable[i];
        EXPECT_EQ(t.get(130), 0);   // fresh tables are clear
        t.setTrue((unsigned)INT_MAX);
        t.setTrue(0);
        EXPECT_EQ(t.get((unsigned)INT_MAX), 1);
        EXPECT_EQ(t.get((unsigned)INT_MAX - 1), 0);
        t.reset();
        EXPECT_EQ(t.get((unsigned)INT_MAX), 0);
        EXPECT_EQ(t.get(0), 0);
    }
    // Values spanning more than the int range: every unsigned offset is a bit.
    Domain* wide = new Domain("W");
    wide->add(INT_MIN);
    wide->add(INT_MAX);
    Variable w("W", wide, 0);
    EXPECT_EQ(Variable::largestInter, INT_MAX);
    RelationExtN::initBigTable(1);
    EXPECT_EQ(RelationExtN::bigTable[0].size, 1 << 26);
    RelationExtN::bigTable[0].setTrue((unsigned)((long long)INT_MAX - INT_MIN));
    EXPECT_EQ(RelationExtN::bigTable[0].get(4294967295u), 1);
    Variable::largestInter = saved;
    Variable::largestInterFull = saved;
    RelationExtN::initBigTable(2);
    EXPECT_EQ(RelationExtN::bigTable[1].get(3), 0);
}
