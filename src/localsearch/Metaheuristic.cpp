#include "localsearch/Metaheuristic.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "network/TableauBit.h"

Metaheuristic::Metaheuristic(LocalSearchTools* ls, int nbMoves)
    : bestDiff(0), lsTools(ls), nbAleaTry(0), tabTmp(nullptr), sizeTabTmp(nbMoves > 2 ? nbMoves : 2) {
  tabTmp = new coupleFlip[sizeTabTmp];
  for (int i = 0; i < sizeTabTmp; i++) tabTmp[i] = coupleFlip{nullptr, nullptr};
}

void Metaheuristic::grow() {
  coupleFlip* n = new coupleFlip[2 * sizeTabTmp];
  std::copy(tabTmp, tabTmp + sizeTabTmp, n);
  delete[] tabTmp;
  tabTmp = n;
  sizeTabTmp *= 2;
}

Metaheuristic* Metaheuristic::create(const std::string& name, LocalSearchTools* ls, int nbMoves) {
  if (name == "-alea") return new SwitchAlea(ls, nbMoves);
  if (name == "-gcsp") return new SwitchGCSP(ls, nbMoves);
  if (name == "-wcsp") return new SwitchWCSP(ls, nbMoves);
  if (name == "-best") return new SwitchBest(ls, nbMoves);
  if (name == "-novelty") return new SwitchNovelty(ls, nbMoves);
  if (name == "-rnovelty") return new SwitchRnovelty(ls, nbMoves);
  if (name == "-wcspSatCont") return new SwitchWcspSatCont(ls, nbMoves);
  if (name == "-noveltySatCont") return new SwitchNoveltySatCont(ls, nbMoves);
  return nullptr;
}

Metaheuristic* Metaheuristic::createOrExit(const std::string& name, LocalSearchTools* ls, int nbMoves,
                                           const char* message) {
  Metaheuristic* m = create(name, ls, nbMoves);
  if (!m) {
    std::cout.flush();
    std::cerr << message << std::endl;
    exit(1);
  }
  return m;
}

coupleFlip Metaheuristic::switchAlea() {
  Constraint* c = lsTools->getFalseRand();
  Variable* x = c->giveAleaVariable();
  InfoValueVar* a = x->getRandomInfoValueVarDiffCurrent();
  nbAleaTry++;
  bestDiff = -1;
  tabTmp[0].v = x;
  tabTmp[0].p = a;
  return tabTmp[0];
}

int Metaheuristic::scanRing(Constraint* c, int s, bool greedy, int& best) {
  int nb = 0;
  best = minGain;
  Variable** sc = c->scope + s;
  for (int k = 0, ar = c->arity; k < ar; k++) {
    Variable* x = sc[k];
    InfoValueVar* cur = x->infoCurrent;
    int dcur = cur->diff;
    InfoValueVar** iv = x->infoVal;
    for (int i = 0, n = x->sizeDom; i < n; i++) {
      InfoValueVar* a = iv[i];
      if (a == cur) continue;
      int g = dcur - a->diff;
      if (g < best) continue;
      if (g > best) {
        best = g;
        nb = 0;
      }
      append(nb, x, a);
    }
    if (greedy && best > 0) return nb;
  }
  return nb;
}

coupleFlip SwitchAlea::nextChoice() { return switchAlea(); }

coupleFlip SwitchWCSP::nextChoice() {
  Constraint* c = lsTools->getFalseRand();
  int s = rand() % c->arity;
  int nb = scanRing(c, s, true, bestDiff);
  if (bestDiff > 0) return pickAmongTies(nb);
  return switchAlea();
}

coupleFlip SwitchWcspSatCont::nextChoice() {
  Constraint* c = lsTools->getFalseRand();
  int s = c->giveAleatNumber();
  int nb = scanRing(c, s, true, bestDiff);
  if (bestDiff > 0) return pickAmongTies(nb);
  return switchAlea();
}

coupleFlip SwitchBest::nextChoice() {
  Constraint* c = lsTools->getFalseRand();
  int s = c->giveAleatNumber();
  int best;
  int nb = scanRing(c, s, false, best);
  if (nb == 0) return switchAlea();
  if (best > 0) return tabTmp[rand() % nb];
  if (rand() & 1) return switchAlea();
  return tabTmp[rand() % nb];
}

coupleFlip SwitchGCSP::nextChoice() {
  // Distinct variables of the falsified constraints, in a fixed order (by
  // id) so that runs are reproducible.
  vars.clear();
  for (int i = 0, n = lsTools->getNumFalse(); i < n; i++) {
    Constraint* c = lsTools->getFalseInd(i);
    for (int k = 0; k < c->arity; k++) vars.push_back(c->scope[k]);
  }
  std::sort(vars.begin(), vars.end(),
            [](const Variable* a, const Variable* b) { return a->idVar < b->idVar; });
  vars.erase(std::unique(vars.begin(), vars.end()), vars.end());
  int n = (int)vars.size();
  if (n == 0) return switchAlea();
  int k = rand() % n;
  for (int r = 0; r < n; r++) {
    Variable* x = vars[(k + r) % n];
    InfoValueVar* cur = x->infoCurrent;
    bestDiff = cur->diff - 1;
    int nb = 0;
    for (int i = 0; i < x->sizeDom; i++) {
      InfoValueVar* a = x->infoVal[i];
      if (a == cur || a->diff > bestDiff) continue;
      if (a->diff < bestDiff) {
        bestDiff = a->diff;
        nb = 0;
      }
      append(nb, x, a);
    }
    if (nb > 0) return pickAmongTies(nb);
  }
  return switchAlea();
}

NoveltyBase::Scan NoveltyBase::scan(bool randomStart) {
  Scan r{false, nullptr, nullptr, nullptr, minGain, 0, 0};
  if (++nbCall == 100) {
    nbCall = 0;
    switchAlea();
    r.walk = true;
    return r;
  }
  Constraint* c = lsTools->getFalseRand();
  int ar = c->arity;
  int s = randomStart ? rand() % ar : c->giveAleatNumber();
  bestDiff = minGain;
  long long youngStamp = -1;
  for (int k = 0; k < ar; k++) {
    int pos = (s + k) % ar;
    Variable* x = c->scope[pos];
    const TableauBit& bits = c->tabBit[pos];
    InfoValueVar* cur = x->infoCurrent;
    int dcur = cur->diff;
    for (int i = 0; i < x->sizeDom; i++) {
      InfoValueVar* a = x->infoVal[i];
      if (a == cur) continue;
      int g = dcur - a->diff;
      long long b = a->header.changed;
      if (b > youngStamp) {
        r.youngest = a;
        youngStamp = b;
      }
      if (g > bestDiff || (r.best && g == bestDiff && b < (long long)r.best->header.changed)) {
        if (r.best) {
          tabTmp[1] = tabTmp[0];
          r.second = r.best;
          r.secondFlag = r.bestFlag;
        }
        r.secondGain = bestDiff;
        r.best = a;
        tabTmp[0].v = x;
        tabTmp[0].p = a;
        bestDiff = g;
        r.bestFlag = bits.get(a->header.prop);
      } else if (g > r.secondGain ||
                 (r.second && g == r.secondGain && b < (long long)r.second->header.changed)) {
        r.second = a;
        tabTmp[1].v = x;
        tabTmp[1].p = a;
        r.secondGain = g;
        r.secondFlag = bits.get(a->header.prop);
      }
    }
  }
  // No candidate at all (every variable of c is fixed): the random walk.
  if (!r.best) {
    switchAlea();
    r.walk = true;
  }
  return r;
}

coupleFlip SwitchNovelty::nextChoice() {
  Scan r = scan(true);
  if (r.walk) return tabTmp[0];
  if (r.second && r.best == r.youngest) return (random() & 1) ? tabTmp[1] : tabTmp[0];
  return tabTmp[0];
}

coupleFlip SwitchRnovelty::nextChoice() {
  Scan r = scan(false);
  if (r.walk) return tabTmp[0];
  if (r.second && r.best == r.youngest && (long long)bestDiff - r.secondGain == 1) return tabTmp[1];
  return tabTmp[0];
}

coupleFlip SwitchNoveltySatCont::nextChoice() {
  Scan r = scan(false);
  if (r.walk) return tabTmp[0];
  if (r.second && r.second != r.youngest && r.secondFlag == 0) return tabTmp[1];
  if (r.best != r.youngest) return tabTmp[0];
  if (random() % 100 > 49) return tabTmp[0];
  return r.second ? tabTmp[1] : tabTmp[0];
}
