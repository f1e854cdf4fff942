#pragma once

#include <string>
#include <vector>

#include "localsearch/LocalSearchTools.h"

// A move of the local search: variable v takes the value of record p.
struct coupleFlip {
  Variable* v;
  InfoValueVar* p;
};

// Move strategy of a local search.  Every strategy focuses on a falsified
// constraint drawn at random, scores moves with the diff counters and falls
// back on the shared random walk.
class Metaheuristic {
 public:
  int bestDiff;               // gain of the last chosen move; -1 after a random walk
  LocalSearchTools* lsTools;
  int nbAleaTry;              // random walks taken
  coupleFlip* tabTmp;         // equally good moves; slots 0 and 1: best and second (Novelty)
  int sizeTabTmp;

  // Gain below any real one: every best-gain scan starts from it.
  static const int minGain = -100000000;

  Metaheuristic(LocalSearchTools* ls, int nbMoves);
  virtual ~Metaheuristic() { delete[] tabTmp; }

  // Next move; only called while some constraint is falsified.
  virtual coupleFlip nextChoice() = 0;

  // Random walk: a random variable of a random falsified constraint takes
  // a random value (the current one with probability 1 / sizeDom).
  coupleFlip switchAlea();

  int getBestDiff() const { return bestDiff; }
  int getNbAleaTry() const { return nbAleaTry; }
  void setNbAleaTry(int n) { nbAleaTry = n; }

  // The strategy of the given option name ("-alea", "-gcsp", "-wcsp",
  // "-best", "-novelty", "-rnovelty", "-wcspSatCont", "-noveltySatCont"),
  // with a move list of nbMoves entries; null for any other name.
  static Metaheuristic* create(const std::string& name, LocalSearchTools* ls, int nbMoves);
  // As create; an unknown name writes `message` to standard error and ends
  // the process with status 1.
  static Metaheuristic* createOrExit(const std::string& name, LocalSearchTools* ls, int nbMoves,
                                     const char* message);

 protected:
  // Appends a move to the list (which grows for scopes larger than planned).
  inline void append(int& nb, Variable* x, InfoValueVar* a) {
    if (nb == sizeTabTmp) grow();
    tabTmp[nb].v = x;
    tabTmp[nb].p = a;
    nb++;
  }
  // One of the nb listed moves: slot 0 when alone, otherwise at random.
  inline coupleFlip pickAmongTies(int nb) { return nb == 1 ? tabTmp[0] : tabTmp[rand() % nb]; }
  void grow();
  // Best-gain scan of c's scope read as a ring from position s; stops after
  // the first variable that brings the best gain above 0 when `greedy`.
  // Returns the number of listed moves; best gain in `best`.
  int scanRing(Constraint* c, int s, bool greedy, int& best);
};

class SwitchAlea : public Metaheuristic {
 public:
  using Metaheuristic::Metaheuristic;
  coupleFlip nextChoice() override;
};

class SwitchGCSP : public Metaheuristic {
 public:
  using Metaheuristic::Metaheuristic;
  coupleFlip nextChoice() override;

 private:
  std::vector<Variable*> vars;  // variables of the falsified constraints
};

class SwitchWCSP : public Metaheuristic {
 public:
  using Metaheuristic::Metaheuristic;
  coupleFlip nextChoice() override;
};

class SwitchBest : public Metaheuristic {
 public:
  using Metaheuristic::Metaheuristic;
  coupleFlip nextChoice() override;
};

class SwitchWcspSatCont : public Metaheuristic {
 public:
  using Metaheuristic::Metaheuristic;
  coupleFlip nextChoice() override;
};

// Scan shared by the Novelty family: the best and second-best moves of the
// chosen constraint, ties to the value changed longest ago, and the move
// whose value changed last; every hundredth call is a random walk.
class NoveltyBase : public Metaheuristic {
 public:
  int nbCall;

  NoveltyBase(LocalSearchTools* ls, int nbMoves) : Metaheuristic(ls, nbMoves), nbCall(0) {}

 protected:
  struct Scan {
    bool walk;                 // the periodic random walk was taken (result in tabTmp[0])
    InfoValueVar* best;        // tabTmp[0] when set
    InfoValueVar* second;      // tabTmp[1] when set
    InfoValueVar* youngest;
    int secondGain;
    int bestFlag, secondFlag;  // whether c stays falsified by the move
  };
  // randomStart: start the ring at rand() % arity, otherwise at
  // giveAleatNumber().
  Scan scan(bool randomStart);
};

class SwitchNovelty : public NoveltyBase {
 public:
  using NoveltyBase::NoveltyBase;
  coupleFlip nextChoice() override;
};

class SwitchRnovelty : public NoveltyBase {
 public:
  using NoveltyBase::NoveltyBase;
  coupleFlip nextChoice() override;
};

class SwitchNoveltySatCont : public NoveltyBase {
 public:
  using NoveltyBase::NoveltyBase;
  coupleFlip nextChoice() override;
};
