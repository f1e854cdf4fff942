// Variables: record permutation, trail of sizes, numbering, printing.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <set>
#include <stdexcept>
#include <vector>

#include "network/Domain.h"
#include "network/InfoValueVar.h"
#include "network/Variable.h"

namespace
{
Domain* makeDomain(const std::vector<int>& vals)
{
    Domain* d = new Domain("D");
    for (int x : vals) d->add(x);
    return d;
}

std::multiset<int> liveValues(const Variable& v)
{
    std::multiset<int> s;
    for (int i = 0; i < v.sizeDom; i++) s.insert(v.infoVal[i]->dom);
    return s;
}

// Every record sits at its posInVar, and infoVal is a permutation of them.
void expectConsistent(const Variable& v)
{
    std::vector<bool> seen(v.initSize, false);
    for (int i = 0; i < v.initSize; i++)
    {
        InfoValueVar* r = v.infoVal[i];
        ASSERT_EQ((int)r->header.posInVar, i);
        ASSERT_GE(r, v.records);
        ASSERT_LT(r, v.records + v.initSize);
        ASSERT_FALSE(seen[r - v.records]);
        seen[r - v.records] = true;
        ASSERT_EQ((int)r->header.prop, (int)(r - v.records));
    }
}
}  // namespace

TEST(Variable, ConstructionNumbersValuesAcrossVariables)
{
    int start = InfoValueVar::getCurrentProp();
    Domain* d1 = makeDomain({5, -3, 9});
    Domain* d2 = makeDomain({7, 8});
    Variable x("X", d1, 0), y("Y", d2, 1);
    EXPECT_EQ(x.minProp, start);
    EXPECT_EQ(y.minProp, start + 3);
    for (int i = 0; i < 3; i++)
    {
        EXPECT_EQ(x.getGlbPropIdx(i), start + i);
        EXPECT_EQ(x.getPropIdx(i), i);
        EXPECT_EQ(x.getValueIdx(i), d1->v[i]);
        EXPECT_EQ(x.infoVal[i]->diff, 0);
        EXPECT_EQ(x.infoVal[i]->getChanged(), 0u);
    }
    EXPECT_EQ(y.getGlbPropIdx(0), start + 3);
    EXPECT_EQ(y.getGlbPropIdx(1), start + 4);
    EXPECT_EQ(InfoValueVar::getCurrentProp(), start + 5);
    EXPECT_EQ(x.getMinValDom(), -3);
    EXPECT_EQ(x.getMaxValDom(), 9);
    EXPECT_EQ(x.sizeDom, 3);
    EXPECT_EQ(x.currentSizeDom, 3);
    EXPECT_EQ(x.getCurrentValue(), 5);
    EXPECT_TRUE(x.isPresent());
    EXPECT_FALSE(x.getBlocked());
    EXPECT_EQ(x.getNbLink(), 0);
    EXPECT_LE(Variable::smallestValue, -3);
    EXPECT_GE(Variable::biggestValue, 9);
    EXPECT_GE(Variable::largestInter, 12);
    EXPECT_EQ(x.getNameDomain(), "D");
}

TEST(Variable, RecordFieldsAreIndependent24BitWords)
{
    InfoValueVar r(-7, 16777215u, 3u, 16777214u);
    r.setChanged(16777215u);
    EXPECT_EQ(r.getValProp(), 16777215u);
    EXPECT_EQ(r.getPosInVar(), 3u);
    EXPECT_EQ(r.getGlbProp(), 16777214u);
    EXPECT_EQ(r.getChanged(), 16777215u);
    EXPECT_EQ(r.getDom(), -7);
    r.setPosInVar(16777215u);
    EXPECT_EQ(r.getValProp(), 16777215u);
    EXPECT_EQ(r.getGlbProp(), 16777214u);
}

TEST(Variable, TooManyValuesForTwentyFourBitsIsAnError)
{
    int saved = InfoValueVar::getCurrentProp();
    Domain* d = makeDomain({1, 2, 3});
    // Global numbers 16777213..16777215 still fit.
    InfoValueVar::setCurrentProp(16777213);
    EXPECT_NO_THROW(Variable("A", d, 0));
    EXPECT_EQ(InfoValueVar::getCurrentProp(), 16777216);
    // One more value would need 16777216.
    InfoValueVar::setCurrentProp(16777214);
    EXPECT_THROW(Variable("B", d, 1), std::runtime_error);
    EXPECT_EQ(InfoValueVar::getCurrentProp(), 16777214);
    InfoValueVar::setCurrentProp(saved);
}

// Random removals, assignments, level openings and backtracks, checked
// against a naive model (a stack of value sets).
TEST(Variable, TrailAgainstNaiveModel)
{
    std::vector<int> vals = {-5, 0, 3, 4, 10, 11, 12, 40, 41, 99, -100, 7};
    Domain* d = makeDomain(vals);
    srand(12345);
    for (int round = 0; round < 200; round++)
    {
        Variable v("V", d, 0);
        std::multiset<int> live(vals.begin(), vals.end());
        std::vector<std::multiset<int>> saved;
        for (int step = 0; step < 60; step++)
        {
            int op = rand() % 6;
            if (op == 0)
            {
                v.pushSize();
                saved.push_back(live);
            }
            else if (op == 1 && v.sizeDom > 0)
            {
                int pos = rand() % v.sizeDom;
                live.erase(live.find(v.infoVal[pos]->dom));
                v.removeInfoVal(pos);
            }
            else if (op == 2 && v.sizeDom > 0)
            {
                int val = vals[rand() % vals.size()];
                if (live.count(val)) live = {val};
                v.assignValue(val);
            }
            else if (op == 3 && !saved.empty())
            {
                int level = rand() % (int)saved.size();
                v.backTrack(level);
                live = saved[level];
                saved.resize(level);
            }
            else if (op == 4 && !saved.empty())
            {
                v.backTrack();
                live = saved.back();
                saved.pop_back();
            }
            else if (op == 5 && v.sizeDom > 0)
            {
                int pos = rand() % v.sizeDom;
                live = {v.infoVal[pos]->dom};
                v.onlyInfoVal(pos);
            }
            ASSERT_EQ(liveValues(v), live) << "round " << round << " step " << step;
            ASSERT_EQ(v.saveSize.size(), saved.size());
            expectConsistent(v);
            if (HasFatalFailure()) return;
            for (int x : vals) ASSERT_EQ(v.positionDom(x) >= 0, live.count(x) > 0);
        }
    }
}

TEST(Variable, RestoringASizeReadmitsExactlyTheLaterRemovals)
{
    Variable v("V", makeDomain({1, 2, 3, 4, 5}), 0);
    v.removeInfoVal(v.positionDom(2));
    v.pushSize();
    v.removeInfoVal(v.positionDom(4));
    v.removeInfoVal(v.positionDom(1));
    // Removed records lie beyond the prefix, most recent nearest to it.
    EXPECT_EQ(v.infoVal[2]->dom, 1);
    EXPECT_EQ(v.infoVal[3]->dom, 4);
    EXPECT_EQ(v.infoVal[4]->dom, 2);
    v.backTrack();
    EXPECT_EQ(liveValues(v), (std::multiset<int>{1, 3, 4, 5}));
    v.removeInfoVal(0);
    v.removeInfoVal(0);
    v.removeInfoVal(0);
    v.removeInfoVal(0);
    EXPECT_EQ(v.sizeDom, 0);   // wipe-out
    expectConsistent(v);
}

TEST(Variable, AssignValueOfAValueNotLiveChangesNothing)
{
    Variable v("V", makeDomain({1, 2, 3}), 0);
    v.removeInfoVal(v.positionDom(2));
    std::vector<InfoValueVar*> before(v.infoVal, v.infoVal + 3);
    v.assignValue(2);
    v.assignValue(17);
    EXPECT_EQ(v.sizeDom, 2);
    EXPECT_EQ(std::vector<InfoValueVar*>(v.infoVal, v.infoVal + 3), before);
    v.assignValue(3);
    EXPECT_EQ(v.sizeDom, 1);
    EXPECT_EQ(v.getPosZeroValue(), 3);
    expectConsistent(v);
}

TEST(Variable, SortInfoOrdersOnlyTheLivePrefix)
{
    Variable v("V", makeDomain({10, 20, 30, 40, 50, 60}), 0);
    v.removeInfoVal(v.positionDom(10));   // 60 moves to the front
    v.removeInfoVal(v.positionDom(30));
    std::vector<int> tail = {v.infoVal[4]->dom, v.infoVal[5]->dom};
    v.sortInfo();
    std::vector<int> prefix;
    for (int i = 0; i < v.sizeDom; i++) prefix.push_back(v.infoVal[i]->dom);
    EXPECT_EQ(prefix, (std::vector<int>{20, 40, 50, 60}));
    EXPECT_EQ((std::vector<int>{v.infoVal[4]->dom, v.infoVal[5]->dom}), tail);
    expectConsistent(v);
}

TEST(Variable, BackTrackDiffMarksReadmittedRecords)
{
    Variable v("V", makeDomain({1, 2, 3, 4}), 0);
    for (int i = 0; i < 4; i++) v.infoVal[i]->diff = 5;
    v.pushSize();                            // level 0: size 4
    v.removeInfoVal(v.positionDom(1));
    v.pushSize();                            // level 1: size 3
    v.removeInfoVal(v.positionDom(3));
    v.backTrackDiff(0);
    EXPECT_EQ(v.sizeDom, 4);
    EXPECT_TRUE(v.saveSize.empty());
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(v.infoVal[i]->diff, (v.infoVal[i]->dom == 1 || v.infoVal[i]->dom == 3) ? -1 : 5);
}

TEST(Variable, ReinitRestoresCommittedSizeOrOneWhenBlocked)
{
    Variable v("V", makeDomain({1, 2, 3, 4}), 0);
    v.removeInfoVal(0);
    v.fixNewSize();
    v.pushSize();
    v.removeInfoVal(0);
    v.reinitVariable();
    EXPECT_EQ(v.sizeDom, 3);
    EXPECT_TRUE(v.saveSize.empty());
    v.setBlocked(true);
    v.reinitVariable();
    EXPECT_EQ(v.sizeDom, 1);
}

TEST(Variable, ConstraintListAddAndDelete)
{
    Variable v("V", makeDomain({1}), 0);
    Constraint* c[5];
    for (int i = 0; i < 5; i++)
    {
        c[i] = reinterpret_cast<Constraint*>(0x1000 + 16 * i);
        v.addConstraint(c[i], i % 2);
    }
    ASSERT_EQ(v.getNbLink(), 5);
    v.delContraint(c[1]);   // the last entry takes its place
    ASSERT_EQ(v.getNbLink(), 4);
    EXPECT_EQ(v.vecCont[1], c[4]);
    EXPECT_EQ(v.vecPosCont[1], 0);
    // A constraint that is not in the list leaves it unchanged.
    v.delContraint(reinterpret_cast<Constraint*>(0x9999));
    ASSERT_EQ(v.getNbLink(), 4);
    EXPECT_EQ(v.vecCont[0], c[0]);
    for (Constraint* x : {c[0], c[2], c[3], c[4]}) v.delContraint(x);
    EXPECT_EQ(v.getNbLink(), 0);
    v.delContraint(c[0]);
    EXPECT_EQ(v.getNbLink(), 0);
}

TEST(Variable, RandomChoicesStayInTheLiveDomain)
{
    Variable v("V", makeDomain({1, 2, 3, 4, 5}), 0);
    v.removeInfoVal(4);
    v.removeInfoVal(0);
    srand(7);
    for (int k = 0; k < 100; k++)
    {
        v.selectRandomVal();
        ASSERT_LT((int)v.infoCurrent->getPosInVar(), v.sizeDom);
        InfoValueVar* r = v.getRandomInfoValueVarDiffCurrent();
        ASSERT_LT((int)r->getPosInVar(), v.sizeDom);
    }
    v.selectValue(2);
    EXPECT_TRUE(v.getDiffNotDef());
    EXPECT_EQ(v.getCurrentPos(), 2);
}

TEST(Variable, AffListsLiveThenRemovedValues)
{
    Variable v("Q", makeDomain({1, 2, 3}), 0);
    v.removeInfoVal(0);   // the current value stays the record of 1
    v.pushSize();
    testing::internal::CaptureStdout();
    v.aff();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "We give some information about the variable Q sizeDom = 2 current = 1 currentDiff = 0 "
              "posLevel = 1 values : 3 2 (1 )\n");
}

TEST(Domain, ShowXCSP2WritesRunsOfConsecutiveValues)
{
    struct Case
    {
        std::vector<int> vals;
        const char* items;
    } cases[] = {
        {{1, 2, 3, 5, 7, 8}, "1..3 5 7..8"},
        {{3, 4}, "3..4"},
        {{5}, "5"},
        {{}, ""},
        {{3, 2, 1}, "3 2 1"},
        {{-2, -1, 0, 2}, "-2..0 2"},
        {{INT_MAX - 1, INT_MAX, INT_MIN}, "2147483646..2147483647 -2147483648"},
        {{1, 1, 2}, "1 1..2"},
    };
    for (const Case& c : cases)
    {
        Domain d("dom");
        for (int x : c.vals) d.add(x);
        testing::internal::CaptureStdout();
        d.showXCSP2();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "<domain name=\"dom\" nbValues=\"" +
                                                              std::to_string(c.vals.size()) + "\">" + c.items +
                                                              "</domain>\n");
    }
    Domain u;
    EXPECT_EQ(u.getName(), "unknow");
    u.add(4);
    u.add(-1);
    testing::internal::CaptureStdout();
    u.aff();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " 4 -1\n");
}
