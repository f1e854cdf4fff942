#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "network/Domain.h"
#include "network/InfoValueVar.h"

class Constraint;

// A network variable.  infoVal is a permutation of the value records whose
// prefix of length sizeDom is the live domain; records beyond it lie in
// removal order (most recent first), so restoring an older size re-admits
// exactly the values removed since.  saveSize is the trail of sizes.
class Variable
{
public:
    bool picked;
    bool blocked;
    bool presentInProblem;
    bool isSelector;
    int decompositionId;
    std::string name;
    int idVar;
    int initSize;
    int currentSizeDom;
    int sizeDom;
    int maxValDom, minValDom;
    int score;
    int minProp;
    InfoValueVar** infoVal;
    InfoValueVar* infoCurrent;
    Constraint** vecCont;
    int* vecPosCont;
    int nbLink;
    Domain* domain;
    std::vector<int> saveSize;
    bool diffNotDef;
    int tmpVariable;

    // The records themselves, in declared order (records[k].prop == k).
    InfoValueVar* records;
    int capCont;

    static int smallestValue;
    static int biggestValue;
    static int largestInter;          // clamped to the int range
    static long long largestInterFull;   // the same, unclamped (ranges wider than 2^31)
    static int currSumSelector;

    // Throws std::runtime_error when the values cannot be numbered in 24 bits.
    Variable(const std::string& name, Domain* d, int id);
    Variable();

    // ---- domain changes (O(1)) ----
    void removeInfoVal(int pos)
    {
        int last = --sizeDom;
        InfoValueVar* a = infoVal[pos];
        InfoValueVar* b = infoVal[last];
        infoVal[pos] = b;
        infoVal[last] = a;
        b->header.posInVar = pos;
        a->header.posInVar = last;
    }
    void permute(int a, int b, InfoValueVar* tmp)
    {
        tmp = infoVal[a];
        infoVal[a] = infoVal[b];
        infoVal[b] = tmp;
        infoVal[a]->header.posInVar = a;
        tmp->header.posInVar = b;
    }
    void assignValue(int value);
    void onlyInfoVal(int pos)
    {
        InfoValueVar* a = infoVal[pos];
        InfoValueVar* b = infoVal[0];
        infoVal[0] = a;
        infoVal[pos] = b;
        a->header.posInVar = 0;
        b->header.posInVar = pos;
        sizeDom = 1;
    }
    void setSize(int n) { sizeDom = n; }
    void pushSize() { saveSize.push_back(sizeDom); }
    void backTrack()
    {
        sizeDom = saveSize.back();
        saveSize.pop_back();
    }
    void backTrack(int level)
    {
        sizeDom = saveSize[level];
        saveSize.resize(level);
    }
    void backTrackDiff(int level);
    void fixNewSize() { currentSizeDom = sizeDom; }
    void reinitVariable()
    {
        sizeDom = blocked ? 1 : currentSizeDom;
        saveSize.clear();
    }
    int positionDom(int value) const
    {
        for (int i = 0; i < sizeDom; i++)
            if (infoVal[i]->dom == value) return i;
        return -1;
    }
    void sortInfo();

    int getPosZeroValue() const { return infoVal[0]->dom; }
    int getValueIdx(int i) const { return infoVal[i]->dom; }
    int getPropIdx(int i) const { return infoVal[i]->header.prop; }
    int getGlbPropIdx(int i) const { return infoVal[i]->header.glbProp; }
    int getCurrentValue() const { return infoCurrent->dom; }
    int getCurrentPos() const { return infoCurrent->header.posInVar; }
    int getCurrentProp() const { return infoCurrent->header.prop; }
    int getCurrentDiff() const { return infoCurrent->diff; }
    void setCurrentValue(InfoValueVar* r) { infoCurrent = r; }
    void selectValue(int pos)
    {
        infoCurrent = infoVal[pos];
        diffNotDef = true;
    }
    // Both random choices leave an empty domain alone (no value to pick).
    void selectRandomVal()
    {
        if (sizeDom > 0) infoCurrent = infoVal[rand() % sizeDom];
    }
    InfoValueVar* getRandomInfoValueVarDiffCurrent() const
    {
        int s = sizeDom;
        if (s <= 0) return infoCurrent;
        int p = infoCurrent->header.posInVar;
        return infoVal[(p + 1 + (rand() % s)) % s];
    }
    void zeroDiff()
    {
        for (int i = 0; i < sizeDom; i++) infoVal[i]->diff = 0;
    }
    void increaseScore() { score++; }

    // Record of the value with declared index k (whatever its position).
    InfoValueVar* getInfoByProp(int k) const { return records + k; }
    // Whether the record of declared index k is live.
    bool isLiveProp(int k) const { return (int)records[k].header.posInVar < sizeDom; }

    // ---- constraint list ----
    void addConstraint(Constraint* c, int pos);
    void delContraint(Constraint* c);

    // ---- accessors ----
    const std::string& getName() const { return name; }
    int getId() const { return idVar; }
    int getInitSize() const { return initSize; }
    int getSizeDom() const { return sizeDom; }
    int getMinValDom() const { return minValDom; }
    int getMaxValDom() const { return maxValDom; }
    int getMinProp() const { return minProp; }
    int getNbLink() const { return nbLink; }
    Constraint** getVecCont() const { return vecCont; }
    int* getVecPosCont() const { return vecPosCont; }
    InfoValueVar** getInfo() const { return infoVal; }
    InfoValueVar* getCurrentInfo() const { return infoCurrent; }
    Domain* getDomain() const { return domain; }
    std::string getNameDomain() const { return domain ? domain->getName() : std::string(); }
    int getScore() const { return score; }
    void setScore(int s) { score = s; }
    bool isPresent() const { return presentInProblem; }
    void isPresent(bool b) { presentInProblem = b; }
    bool getBlocked() const { return blocked; }
    void setBlocked(bool b) { blocked = b; }
    bool getPicked() const { return picked; }
    void setPicked(bool b) { picked = b; }
    bool getSelector() const { return isSelector; }
    void setSelector(bool b) { isSelector = b; }
    int getDecompositionId() const { return decompositionId; }
    void setDecompositionId(int d) { decompositionId = d; }
    bool getDiffNotDef() const { return diffNotDef; }
    void setDiffNotDef(bool b) { diffNotDef = b; }
    int getTmp() const { return tmpVariable; }
    void setTmp(int t) { tmpVariable = t; }

    void aff() const;
};
