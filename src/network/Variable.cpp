#include "network/Variable.h"

#include <algorithm>
#include <iostream>
#include <stdexcept>

int Variable::smallestValue = 2147483647;
int Variable::biggestValue = -2147483647 - 1;
int Variable::largestInter = 0;
long long Variable::largestInterFull = 0;
int Variable::currSumSelector = 0;

Variable::Variable(const std::string& n, Domain* d, int id)
    : picked(false), blocked(false), presentInProblem(true), isSelector(false), decompositionId(0), name(n),
      idVar(id), initSize(d->getSize()), currentSizeDom(initSize), sizeDom(initSize), maxValDom(0), minValDom(0),
      score(0), minProp(InfoValueVar::currentProp), infoVal(nullptr), infoCurrent(nullptr), vecCont(nullptr),
      vecPosCont(nullptr), nbLink(0), domain(d), diffNotDef(false), tmpVariable(0), records(nullptr), capCont(0)
{
    // Declared indices, positions and global numbers are 24-bit fields.
    long long lastGlb = (long long)InfoValueVar::currentProp + initSize - 1;
    if ((unsigned long long)initSize > InfoValueVar::maxField || lastGlb > (long long)InfoValueVar::maxField)
        throw std::runtime_error("too many values: at most 16777215 values over all variables are supported (variable " +
                                 n + ")");

    const std::vector<int>& vals = d->getVector();
    if (initSize > 0)
    {
        records = new InfoValueVar[initSize];
        infoVal = new InfoValueVar*[initSize];
        minValDom = maxValDom = vals[0];
    }
    for (int i = 0; i < initSize; i++)
    {
        int x = vals[i];
        if (x > biggestValue) biggestValue = x;
        if (x < smallestValue) smallestValue = x;
        if (x > maxValDom) maxValDom = x;
        if (x < minValDom) minValDom = x;
        InfoValueVar* r = records + i;
        r->diff = 0;
        r->dom = x;
        r->header.glbProp = (unsigned)InfoValueVar::currentProp++;
        r->header.prop = (unsigned)i;
        r->header.posInVar = (unsigned)i;
        r->header.changed = 0;
        infoVal[i] = r;
    }
    long long inter = (long long)maxValDom - minValDom;
    if (inter > largestInterFull) largestInterFull = inter;
    if (inter > largestInter) largestInter = inter > 2147483647LL ? 2147483647 : (int)inter;
    infoCurrent = initSize > 0 ? infoVal[0] : nullptr;
}

Variable::Variable()
    : picked(false), blocked(false), presentInProblem(true), isSelector(false), decompositionId(0), idVar(0),
      initSize(0), currentSizeDom(0), sizeDom(0), maxValDom(0), minValDom(0), score(0),
      minProp(InfoValueVar::currentProp), infoVal(nullptr), infoCurrent(nullptr), vecCont(nullptr),
      vecPosCont(nullptr), nbLink(0), domain(nullptr), diffNotDef(false), tmpVariable(0), records(nullptr),
      capCont(0)
{
}

void Variable::assignValue(int value)
{
    int pos = positionDom(value);
    if (pos >= 0) onlyInfoVal(pos);
}

void Variable::backTrackDiff(int level)
{
    int target = saveSize[level];
    for (int i = sizeDom; i < target; i++) infoVal[i]->diff = -1;
    sizeDom = target;
    saveSize.resize(level);
}

void Variable::sortInfo()
{
    std::sort(infoVal, infoVal + sizeDom,
              [](const InfoValueVar* a, const InfoValueVar* b) { return a->header.prop < b->header.prop; });
    for (int i = 0; i < initSize; i++) infoVal[i]->header.posInVar = (unsigned)i;
}

void Variable::addConstraint(Constraint* c, int pos)
{
    // Geometric growth: the list only ever grows by appends.
    if (nbLink == capCont)
    {
        int nc = capCont ? 2 * capCont : 4;
        Constraint** nv = new Constraint*[nc];
        int* np = new int[nc];
        std::copy(vecCont, vecCont + nbLink, nv);
        std::copy(vecPosCont, vecPosCont + nbLink, np);
        delete[] vecCont;
        delete[] vecPosCont;
        vecCont = nv;
        vecPosCont = np;
        capCont = nc;
    }
    vecCont[nbLink] = c;
    vecPosCont[nbLink] = pos;
    nbLink++;
}

void Variable::delContraint(Constraint* c)
{
    // A constraint that is not in the list leaves it unchanged.
    int k = 0;
    while (k < nbLink && vecCont[k] != c) k++;
    if (k == nbLink) return;
    vecCont[k] = vecCont[nbLink - 1];
    vecPosCont[k] = vecPosCont[nbLink - 1];
    nbLink--;
}

void Variable::aff() const
{
    std::cout << "We give some information about the variable " << name << " sizeDom = " << sizeDom
              << " current = " << (infoCurrent ? infoCurrent->dom : 0)
              << " currentDiff = " << (infoCurrent ? infoCurrent->diff : 0) << " posLevel = " << saveSize.size()
              << " values : ";
    for (int i = 0; i < sizeDom; i++) std::cout << infoVal[i]->dom << " ";
    std::cout << "(";
    for (int i = sizeDom; i < initSize; i++) std::cout << infoVal[i]->dom << " ";
    std::cout << ")\n";
}
