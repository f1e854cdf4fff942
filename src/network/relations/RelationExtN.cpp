#include "network/relations/RelationExtN.h"

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <stdexcept>

#include "network/Variable.h"

TableauBit* RelationExtN::bigTable = nullptr;
int RelationExtN::sizeBigTable = 0;

RelationExtN::RelationExtN(const std::string& n, int ar, bool semantic)
    : treeMDD(new MDD[ar > 0 ? ar : 1]), nbTuple(0), name(n), arity(ar), nodeTabTmp(nullptr), szNodeTabTmp(0),
      minVal(new int[ar > 0 ? ar : 1]), maxVal(new int[ar > 0 ? ar : 1])
{
    type = 1;
    semanticConflicts = semantic;
    for (int i = 0; i < arity; i++)
    {
        minVal[i] = 100000000;
        maxVal[i] = -100000000;
    }
}

void RelationExtN::addTuple(int* t)
{
    for (int i = 0; i < arity; i++)
    {
        if (t[i] < minVal[i]) minVal[i] = t[i];
        if (t[i] > maxVal[i]) maxVal[i] = t[i];
    }
    pending.insert(pending.end(), t, t + arity);
}

void RelationExtN::sortTabTuple()
{
    if (arity <= 0) return;
    if (pending.empty())
    {
        for (int j = 0; j < arity; j++) treeMDD[j].sortMDD();
        return;
    }
    // Tuples already in the tries are built again together with the new ones.
    std::vector<int> all;
    all.swap(pending);
    if (treeMDD[0].sumSon > 0)
    {
        std::vector<int> old;
        treeMDD[0].collect(old, arity);
        all.insert(all.end(), old.begin(), old.end());
    }
    size_t n = all.size() / arity;
    if (n > 2147483647u) throw std::runtime_error("relation " + name + ": too many tuples");

    // Rank of every value among the distinct values of its column, so that
    // each trie's order comes from arity stable counting sorts (least
    // significant level first) instead of comparison sorts.
    std::vector<uint32_t> rank(all.size());
    std::vector<uint32_t> nbDistinct(arity);
    {
        std::vector<int> col(n);
        for (int c = 0; c < arity; c++)
        {
            col.resize(n);
            for (size_t k = 0; k < n; k++) col[k] = all[k * arity + c];
            std::sort(col.begin(), col.end());
            col.erase(std::unique(col.begin(), col.end()), col.end());
            nbDistinct[c] = (uint32_t)col.size();
            for (size_t k = 0; k < n; k++)
                rank[k * arity + c] =
                    (uint32_t)(std::lower_bound(col.begin(), col.end(), all[k * arity + c]) - col.begin());
        }
    }
    std::vector<uint32_t> idx(n), tmp(n), count;
    std::vector<int> rot(all.size());
    for (int j = 0; j < arity; j++)
    {
        // Trie j: every tuple rotated left by j positions, sorted.
        for (size_t k = 0; k < n; k++) idx[k] = (uint32_t)k;
        for (int l = arity - 1; l >= 0; l--)
        {
            int c = (l + j) % arity;
            count.assign(nbDistinct[c] + 1, 0);
            for (size_t k = 0; k < n; k++) count[rank[(size_t)idx[k] * arity + c] + 1]++;
            for (uint32_t d = 0; d < nbDistinct[c]; d++) count[d + 1] += count[d];
            for (size_t k = 0; k < n; k++) tmp[count[rank[(size_t)idx[k] * arity + c]]++] = idx[k];
            idx.swap(tmp);
        }
        for (size_t k = 0; k < n; k++)
        {
            const int* src = all.data() + (size_t)idx[k] * arity;
            int* dst = rot.data() + k * arity;
            for (int i = 0; i < arity; i++) dst[i] = src[(i + j) % arity];
        }
        treeMDD[j].buildFromSorted(rot.data(), (int)n, arity);
    }
}

bool RelationExtN::isTuple(int* t)
{
    if (!pending.empty()) sortTabTuple();
    Node* tab = treeMDD[0].root;
    int sz = treeMDD[0].szRoot;
    for (int i = 0; i < arity; i++)
    {
        Node* nd = MDD::findSon(tab, sz, t[i]);
        if (!nd) return semanticConflicts;
        tab = nd->tabSon;
        sz = (int)nd->numSon;
    }
    return !semanticConflicts;
}

void RelationExtN::aff()
{
    std::cout << "Relation n-aire " << " Semantic = " << (semanticConflicts ? 1 : 0) << "\n";
    affMDD(0);
}

void RelationExtN::affMDD(int i)
{
    if (!pending.empty()) sortTabTuple();
    std::cout << "On affiche le MDD " << i << "\n";
    std::vector<int> t(arity > 0 ? arity : 1);
    treeMDD[i].affichage(t.data(), arity);
}

void RelationExtN::initBigTable(int maxArity)
{
    for (int i = 0; i < sizeBigTable; i++) bigTable[i].freeTab();
    delete[] bigTable;
    bigTable = new TableauBit[maxArity > 0 ? maxArity : 1];
    sizeBigTable = maxArity;
    // A range wider than the int range takes the full 2^32 bits (bit
    // value - minValDom read as unsigned).
    long long range = Variable::largestInter;
    if (Variable::largestInterFull > range) range = Variable::largestInterFull;
    if (range > 4294967295LL) range = 4294967295LL;
    for (int i = 0; i < maxArity; i++) bigTable[i].initTab((int)(unsigned)range);
}
