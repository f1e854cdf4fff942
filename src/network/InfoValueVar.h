#pragma once

// One value of one variable.  The four numbering fields are 24-bit
// bit-fields, each in the low bits of its own 32-bit word.
class InfoValueVar
{
public:
    // Largest number a 24-bit field holds.
    static const unsigned maxField = 16777215u;

    int diff;
    int dom;
    struct Header
    {
        unsigned glbProp : 24;
        unsigned : 0;
        unsigned prop : 24;
        unsigned : 0;
        unsigned posInVar : 24;
        unsigned : 0;
        unsigned changed : 24;
    } header;

    static_assert(sizeof(Header) == 16, "each numbering field takes a 32-bit word of its own");

    // Next global number; the first record of the run gets 1.
    static int currentProp;

    // Plain records: the constructors never consume a global number (the
    // variable that owns the record assigns glbProp from currentProp).
    InfoValueVar() : diff(0), dom(0) { header.glbProp = 0; header.prop = 0; header.posInVar = 0; header.changed = 0; }
    InfoValueVar(int value, unsigned prop, unsigned posInVar, unsigned glbProp)
        : diff(0), dom(value)
    {
        header.glbProp = glbProp; header.prop = prop; header.posInVar = posInVar; header.changed = 0;
    }

    static int getCurrentProp() { return currentProp; }
    static void setCurrentProp(int p) { currentProp = p; }

    unsigned getPosInVar() const { return header.posInVar; }
    void setPosInVar(unsigned p) { header.posInVar = p; }
    unsigned getValProp() const { return header.prop; }
    unsigned getGlbProp() const { return header.glbProp; }
    int getDiff() const { return diff; }
    void setDiff(int d) { diff = d; }
    void addDiff(int n) { diff += n; }
    void increaseDiff(int n) { diff += n; }
    void decreaseDiff(int n) { diff -= n; }
    int getDom() const { return dom; }
    unsigned getChanged() const { return header.changed; }
    void setChanged(unsigned c) { header.changed = c; }

    void aff() const;
};
