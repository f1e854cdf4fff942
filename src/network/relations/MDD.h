#pragma once

#include <vector>

// One node of a tuple trie: a value at one level and its children.
// A node without children is a leaf; the path from a root node to a leaf is
// one tuple.  Child arrays are malloc'ed and kept contiguous.
struct Node
{
    int val;
    unsigned sumSon;   // children appended (equals numSon)
    unsigned numSon;
    Node* tabSon;      // null for a leaf
};

// A trie of tuples of one length.  After sortMDD every child array (and the
// root array) is in ascending order of val.
class MDD
{
public:
    Node* root;
    int szRoot;
    bool finish;       // child arrays have their exact size (built by buildFrom)
    int sumSon;        // tuples stored

    MDD() : root(nullptr), szRoot(0), finish(false), sumSon(0) {}

    // Add the tuple t of length sz.  Internal levels are shared with tuples
    // already stored; a tuple stored already is not stored a second time.
    void addTuple(int* t, int sz);
    void sortMDD();

    // Build from n tuples of length sz stored one after another in flat,
    // replacing the current content; the result is sorted, without
    // duplicates, with each child array allocated at its exact size.
    void buildFrom(const int* flat, int n, int sz);
    // The same from tuples already in lexicographic order.
    void buildFromSorted(const int* flat, int n, int sz);

    // Print every tuple, one per line, each value followed by two blanks.
    // t is a scratch array of at least szT entries.
    void affichage(int* t, int szT) const;

    // Append to res, for every stored tuple whose value at each level l is
    // live for that level (bit 1 << l of proj[value - dec]), its values at
    // the levels whose printValue entry is true.
    // Values outside proj (when szProj is given) count as not live.
    void projAndPutInVec(int* t, int szT, bool* printValue, unsigned* proj, std::vector<unsigned>& res, int dec,
                         unsigned szProj = ~0u) const;

    // Every stored tuple, one after another, in trie order.
    void collect(std::vector<int>& flat, int sz) const;
    // Release every node.
    void clear();

    // Binary search of val among the sorted nodes tab[0..sz-1]; null if absent.
    static Node* findSon(Node* tab, int sz, int val)
    {
        if (sz <= 0) return nullptr;
        int low = 0, high = sz - 1;
        while (low != high)
        {
            int mid = (low + high) >> 1;
            int v = tab[mid].val;
            if (v == val) return tab + mid;
            if (v < val) low = mid + 1;
            else high = mid;
        }
        return tab[low].val == val ? tab + low : nullptr;
    }

    static const Node* findSon(const Node* tab, int sz, int val)
    {
        return findSon(const_cast<Node*>(tab), sz, val);
    }

    Node* getRoot() const { return root; }
    int getSzRoot() const { return szRoot; }
    int getSumSon() const { return sumSon; }
};
