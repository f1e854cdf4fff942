#include "network/relations/MDD.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>

namespace
{
// Arrays grown by addTuple have a power-of-two capacity (0 for none), so
// appending costs amortised O(1) without a capacity field.
Node* appendNode(Node*& arr, unsigned& n, int val)
{
    if ((n & (n - 1)) == 0)
    {
        unsigned cap = n ? 2 * n : 1;
        Node* na = static_cast<Node*>(std::realloc(arr, (size_t)cap * sizeof(Node)));
        if (!na) throw std::bad_alloc();
        arr = na;
    }
    Node* x = arr + n++;
    x->val = val;
    x->sumSon = 0;
    x->numSon = 0;
    x->tabSon = nullptr;
    return x;
}

// Last node of tab[0..n-1] with value val (tuples usually arrive in order,
// so the match is near the end).
Node* findLinear(Node* tab, unsigned n, int val)
{
    for (unsigned i = n; i-- > 0;)
        if (tab[i].val == val) return tab + i;
    return nullptr;
}

void freeNodes(Node* tab, unsigned n)
{
    for (unsigned i = 0; i < n; i++)
        if (tab[i].tabSon) freeNodes(tab[i].tabSon, tab[i].numSon);
    std::free(tab);
}

void sortNodes(Node* tab, unsigned n)
{
    std::sort(tab, tab + n, [](const Node& a, const Node& b) { return a.val < b.val; });
    for (unsigned i = 0; i < n; i++)
        if (tab[i].tabSon) sortNodes(tab[i].tabSon, tab[i].numSon);
}

// Build the children of one level from the lexicographically sorted rows
// lo..hi-1 of flat at column l (equal rows collapse into one path); returns
// the array and its length, and adds the leaves made to leaves.
Node* buildLevel(const int* flat, size_t lo, size_t hi, int l, int sz, unsigned& count, size_t& leaves)
{
    count = 0;
    for (size_t i = lo; i < hi; i++)
        if (i == lo || flat[i * sz + l] != flat[(i - 1) * sz + l]) count++;
    Node* arr = static_cast<Node*>(std::malloc((size_t)count * sizeof(Node)));
    if (!arr) throw std::bad_alloc();
    size_t i = lo;
    for (unsigned k = 0; k < count; k++)
    {
        int v = flat[i * sz + l];
        size_t j = i + 1;
        while (j < hi && flat[j * sz + l] == v) j++;
        Node& nd = arr[k];
        nd.val = v;
        nd.tabSon = nullptr;
        nd.numSon = 0;
        if (l + 1 < sz) nd.tabSon = buildLevel(flat, i, j, l + 1, sz, nd.numSon, leaves);
        else leaves++;
        nd.sumSon = nd.numSon;
        i = j;
    }
    return arr;
}

void collectNodes(const Node* tab, unsigned n, int l, int sz, int* t, std::vector<int>& flat)
{
    for (unsigned i = 0; i < n; i++)
    {
        t[l] = tab[i].val;
        if (l + 1 == sz) flat.insert(flat.end(), t, t + sz);
        else if (tab[i].tabSon) collectNodes(tab[i].tabSon, tab[i].numSon, l + 1, sz, t, flat);
    }
}

void printNodes(const Node* tab, unsigned n, int l, int* t)
{
    for (unsigned i = 0; i < n; i++)
    {
        t[l] = tab[i].val;
        if (!tab[i].tabSon)
        {
            for (int k = 0; k <= l; k++) std::cout << t[k] << "  ";
            std::cout << "\n";
        }
        else printNodes(tab[i].tabSon, tab[i].numSon, l + 1, t);
    }
}

void projNodes(const Node* tab, unsigned n, int l, int* t, bool* printValue, unsigned* proj,
               std::vector<unsigned>& res, int dec, unsigned szProj)
{
    unsigned bit = 1u << l;
    for (unsigned i = 0; i < n; i++)
    {
        unsigned k = (unsigned)((long long)tab[i].val - dec);
        if (k >= szProj || !(proj[k] & bit)) continue;
        t[l] = tab[i].val;
        if (!tab[i].tabSon)
        {
            for (int p = 0; p <= l; p++)
                if (printValue[p]) res.push_back((unsigned)t[p]);
        }
        else projNodes(tab[i].tabSon, tab[i].numSon, l + 1, t, printValue, proj, res, dec, szProj);
    }
}
}  // namespace

void MDD::clear()
{
    if (root) freeNodes(root, (unsigned)szRoot);
    root = nullptr;
    szRoot = 0;
    sumSon = 0;
    finish = false;
}

void MDD::collect(std::vector<int>& flat, int sz) const
{
    if (sz <= 0) return;
    std::vector<int> t(sz);
    collectNodes(root, (unsigned)szRoot, 0, sz, t.data(), flat);
}

void MDD::addTuple(int* t, int sz)
{
    if (sz <= 0) return;
    if (finish)
    {
        // Exact-size arrays cannot grow in place: re-add the content.
        std::vector<int> flat;
        collect(flat, sz);
        clear();
        for (size_t k = 0; k < flat.size(); k += sz) addTuple(flat.data() + k, sz);
    }
    unsigned nRoot = (unsigned)szRoot;
    Node* cur = findLinear(root, nRoot, t[0]);
    int i = 1;
    if (cur && sz == 1) return;   // already stored
    if (!cur)
    {
        cur = appendNode(root, nRoot, t[0]);
        szRoot = (int)nRoot;
    }
    else
    {
        while (i < sz)
        {
            Node* child = findLinear(cur->tabSon, cur->numSon, t[i]);
            if (!child) break;
            if (i + 1 == sz) return;   // already stored
            cur = child;
            i++;
        }
    }
    for (; i < sz; i++)
    {
        Node* parent = cur;
        cur = appendNode(parent->tabSon, parent->numSon, t[i]);
        parent->sumSon = parent->numSon;
    }
    sumSon++;
}

void MDD::sortMDD()
{
    if (root) sortNodes(root, (unsigned)szRoot);
}

void MDD::buildFrom(const int* flat, int n, int sz)
{
    if (n <= 0 || sz <= 0)
    {
        clear();
        return;
    }
    std::vector<int> idx(n);
    for (int k = 0; k < n; k++) idx[k] = k;
    std::sort(idx.begin(), idx.end(), [flat, sz](int a, int b) {
        return std::lexicographical_compare(flat + (size_t)a * sz, flat + (size_t)a * sz + sz, flat + (size_t)b * sz,
                                            flat + (size_t)b * sz + sz);
    });
    std::vector<int> sorted((size_t)n * sz);
    for (size_t k = 0; k < (size_t)n; k++)
        std::copy(flat + (size_t)idx[k] * sz, flat + (size_t)idx[k] * sz + sz, sorted.begin() + k * sz);
    buildFromSorted(sorted.data(), n, sz);
}

void MDD::buildFromSorted(const int* flat, int n, int sz)
{
    clear();
    if (n <= 0 || sz <= 0) return;
    unsigned cnt = 0;
    size_t leaves = 0;
    root = buildLevel(flat, 0, (size_t)n, 0, sz, cnt, leaves);
    szRoot = (int)cnt;
    sumSon = (int)leaves;
    finish = true;
}

void MDD::affichage(int* t, int) const { printNodes(root, (unsigned)szRoot, 0, t); }

void MDD::projAndPutInVec(int* t, int, bool* printValue, unsigned* proj, std::vector<unsigned>& res, int dec,
                          unsigned szProj) const
{
    projNodes(root, (unsigned)szRoot, 0, t, printValue, proj, res, dec, szProj);
}
