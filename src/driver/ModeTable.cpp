// The mode table: argv[1] selects the solver (or the information / export
// tool) run on the network read from standard input.

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>

#include "compilation/DdnnfCompiler.h"
#include "cores/CoMSS.h"
#include "cores/ExtractMUC.h"
#include "cores/RestoreCoherenceMUC.h"
#include "driver/MyCallback.h"
#include "encodings/Encodings.h"
#include "localsearch/CompleteWithSlsPrepros.h"
#include "localsearch/HybridSolver.h"
#include "localsearch/RestoreCoherenceLS.h"
#include "localsearch/SolverRL.h"
#include "network/Domain.h"
#include "network/Variable.h"
#include "network/constraints/Constraint.h"
#include "search/CompleteSolver.h"
#include "search/Solver.h"
#include "tools/GenConfigWrtVars.h"
#include "tools/PartialMaxCSP.h"
#include "tools/PreemptMin.h"
#include "tools/PreemptedConstraintFile.h"
#include "tools/Vizualizer.h"

using namespace std;

namespace {

// Ends a run whose mode exists in the table but whose solver is not part of
// this build: a clear message and status 1, never a silent success.
[[noreturn, maybe_unused]] void modeUnavailable(const char* mode) {
  cout.flush();
  cerr << "c mode " << mode << " is not available in this build" << endl;
  exit(1);
}

[[noreturn]] void usageError(const string& msg) {
  cout.flush();
  cerr << "c " << msg << endl;
  exit(1);
}

[[noreturn]] void helpAndFail() {
  cout.flush();
  MyCallback::showHelp();
  exit(1);
}

// Whole-string decimal integer, as written on a command line.
bool readInt(const char* s, long& out) {
  if (!s || !*s) return false;
  errno = 0;
  char* end = nullptr;
  out = strtol(s, &end, 10);
  return errno == 0 && *end == '\0';
}

}  // namespace

void MyCallback::showHelp() {
  static const char* const lines[] = {
      "#####################################",
      "# HELP                              #",
      "#####################################",
      "",
      "Translate the CSP into a CNF formula (by default output.cnf = /tmp/toCNF.cnf) : ",
      "    ./vantor -toCNF -type [output.cnf] < BENCHNAME",
      "    Where type can take the following values: ",
      "          - conflict: Direct Conflict Encoding",
      "          - support: Direct support Encoding",
      "          - log: Log Conflict Encoding",
      "          - logsup: Log support Encoding",
      "          - mixed: Mixed Direct Encoding",
      "",
      "Translate the CSP into MDDG: ",
      "    ./kelmar -cn2mddg [-noCache] [-noDecomp] [-noUniv] [-heuristic] < BENCHNAME",
      "    With heuristic can take the following value: ",
      "       - dwdeg, dom/wdeg is used",
      "       - centrality, centrality is used",
  };
  for (const char* l : lines) cerr << l << "\n";
  cerr.flush();
}

void MyCallback::infosCSP(int argc) {
  if (argc > 2) helpAndFail();
  cout << "#Vars: " << vecVar.size() << "\n";
  cout << "#Constraints: " << vecCont.size() << "\n";
  cout << "Max arity: " << maxArity << "\n";
  cout << "Max domain: " << maxDomain << "\n";
  cout << "Type: " << (typeCSP == 1 ? "E" : typeCSP == 2 ? "I" : "M") << endl;
  exit(0);
}

void MyCallback::constType(int argc) {
  if (argc > 2) helpAndFail();
  for (Constraint* c : vecCont)
    if (c->getArity() > 2) {
      cout << "N-ary CSP" << endl;
      exit(1);
    }
  cout << "Binary CSP" << endl;
  exit(0);
}

void MyCallback::interpretationToFalsifiedConstraints(int argc, char** argv) {
  if (argc < 3) usageError("-interpretationToFalsifiedConstraints needs an assignment file");
  ifstream in(argv[2]);
  if (!in) usageError(string("cannot open the assignment file ") + argv[2]);
  string line;
  getline(in, line);

  // First item: the line's prefix ("v"); then one value per variable id.
  istringstream items(line);
  string item;
  items >> item;
  vector<int> values;
  while (items >> item) {
    long x;
    if (!readInt(item.c_str(), x) || x < INT_MIN || x > INT_MAX)
      usageError("the assignment file holds \"" + item + "\", which is not an integer value");
    values.push_back((int)x);
  }
  for (Variable* v : vecVar)
    if (v->getId() < 0 || v->getId() >= (int)values.size())
      usageError("the assignment file holds " + to_string(values.size()) +
                 " values, fewer than the " + to_string(vecVar.size()) + " variables");
  // A value outside a variable's domain cannot be checked against the
  // constraints (some index tables by value): report it instead.
  for (Variable* v : vecVar) {
    const vector<int>& dom = v->getDomain()->getVector();
    int x = values[v->getId()];
    if (find(dom.begin(), dom.end(), x) == dom.end())
      usageError("value " + to_string(x) + " of variable " + v->getName() + " is not in its domain");
  }

  cout << "v ";
  vector<int> tuple;
  for (Constraint* c : vecCont) {
    int ar = c->getArity();
    tuple.assign(ar > 0 ? ar : 1, 0);
    for (int i = 0; i < ar; i++) tuple[i] = values[c->getScope()[i]->getId()];
    if (!c->tupleExist(tuple.data())) cout << c->getName() << " ";
  }
  cout << endl;
  exit(0);
}

Solver* MyCallback::createSolver(int seed, int argc, char** argv) {
  handOver();
  const char* mode = argc > 1 ? argv[1] : "";
  auto is = [&](const char* name) { return strcmp(mode, name) == 0; };

  if (is("-complete")) return new CompleteSolver(vecCont, vecVar, maxArity, maxDomain);

  if (is("-cn2mddg")) {
    bool wCache = true, wDecomp = true, wUniv = true;
    int h = 2;
    for (int i = 2; i < argc; i++) {
      const char* o = argv[i];
      if (!strcmp(o, "-noCache")) {
        wCache = false;
      } else if (!strcmp(o, "-noDecomp")) {
        wDecomp = false;
      } else if (!strcmp(o, "-noUniv")) {
        wUniv = false;
      } else if (!strcmp(o, "-dwdeg")) {
        h = 1;
      } else if (!strcmp(o, "-centrality")) {
        h = 2;
      } else if (!strcmp(o, "-centrality+dwdeg")) {
        h = 3;
        cout << "+++" << endl;
      } else {
        helpAndFail();
      }
    }
    return new DdnnfCompiler(vecCont, vecVar, maxArity, maxDomain, wCache, wDecomp, wUniv, h);
  }
  if (is("-muc")) {
    ExtractMUC* m = new ExtractMUC(vecCont, vecVar, maxArity, maxDomain);
    m->setOption(argv + 2, argc - 2);
    return m;
  }
  if (is("-restoreMUC")) return new RestoreCoherenceMUC(vecCont, vecVar, maxArity, maxDomain);
  if (is("-restoreLS")) return new RestoreCoherenceLS(vecCont, vecVar, maxArity, maxDomain, "-rnovelty");
  if (is("-coMSSConstructive"))
    return new CoMSSConstructive(vecCont, vecVar, maxArity, maxDomain, "-rnovelty");
  if (is("-coMSSDestructive"))
    return new CoMSSDestructive(vecCont, vecVar, maxArity, maxDomain, "-rnovelty");
  if (is("-slsPrepros")) {
    long t;
    if (argc < 4 || !readInt(argv[3], t) || t < 0 || t > INT_MAX)
      usageError("-slsPrepros needs a local-search method and a time (a non-negative integer)");
    return new CompleteWithSlsPrepros(vecCont, vecVar, maxArity, maxDomain, seed, (int)t, argv[2],
                                      argc == 5);
  }
  if (is("-hybridSolver")) {
    if (argc < 3) usageError(string(mode) + " needs a local-search method");
    return new HybridSolver(vecCont, vecVar, maxArity, maxDomain, seed, argv[2]);
  }
  if (is("-partialMaxCSPSolver")) {
    if (argc < 3) usageError(string(mode) + " needs a local-search method");
    return new PartialMaxCSP(vecCont, vecContSoft, vecVar, maxArity, maxDomain, seed, argv[2]);
  }
  if (is("-localSearch")) {
    if (argc < 3) usageError(string(mode) + " needs a local-search method");
    return new SolverRL(vecCont, vecVar, maxArity, maxDomain, seed, argv[2]);
  }
  if (is("-vHyper")) {
    Vizualizer::vizualHyperGraph(vecCont, vecVar);
    exit(0);
  }
  if (is("-vPrimalDimacs")) {
    Vizualizer::vizualPrimalGraphDimacs(vecCont, vecVar);
    exit(0);
  }
  if (is("-generateConstraint")) {
    long n, rT, rF;
    if (argc < 5 || !readInt(argv[2], n) || !readInt(argv[3], rT) || !readInt(argv[4], rF))
      usageError("-generateConstraint needs three integers: the number of variables, of satisfiable and of unsatisfiable tuples");
    if (n < 0 || n > (long)vecVar.size())
      usageError("-generateConstraint: " + to_string(n) + " variables asked, the network has " +
                 to_string(vecVar.size()));
    // The seed is the calendar time, printed so that a run can be repeated.
    unsigned seedTime = (unsigned)time(nullptr);
    cout << "c The seed is: " << seedTime << endl;
    srand(seedTime);
    // n distinct variables drawn at random, in drawing order.
    int N = (int)vecVar.size();
    vector<int> index(N);
    for (int i = 0; i < N; i++) index[i] = i;
    vector<Variable*> vc;
    for (int d = 0; d < n; d++) {
      int r = rand() % (N - d);
      vc.push_back(vecVar[index[r]]);
      index[r] = index[N - 1 - d];
    }
    return new GenConfigWrtVars(vecCont, vecVar, maxArity, maxDomain, vc, (int)rT, (int)rF);
  }
  if (is("-interpretationToFalsifiedConstraints")) interpretationToFalsifiedConstraints(argc, argv);
  if (is("-preemptedMin") || is("-preemptedTal")) {
    if (argc < 3) usageError(string(mode) + " needs a preempted-constraint file");
    vector<Variable*> vRet;
    vector<vector<int>> tuples;
    collectPreemptedInfo(argv[2], vecVar, vRet, tuples);
    if (is("-preemptedMin"))
      return new PreemptMin(vecCont, vecVar, maxArity, maxDomain, vRet, tuples, vecDom);
    CompleteSolver solver(vecCont, vecVar, maxArity, maxDomain);
    vector<vector<int>> res;
    solver.relaxAndPreserveAddVariable(vRet, tuples, res);
    cout << "v ";
    for (Variable* x : vRet) cout << x->getName() << " ";
    for (Variable* x : vRet) cout << x->getName() << "' ";
    cout << "\n";
    for (const vector<int>& r : res) {
      cout << "s ";
      for (int x : r) cout << x << " ";
      cout << "\n";
    }
    cout.flush();
    exit(0);
  }
  if (is("-toCNF")) {
    if (argc < 3) usageError("-toCNF needs an encoding");
    if (argc > 4) helpAndFail();
    Solver* enc = createEncoder(argv[2], argc == 4 ? argv[3] : "/tmp/toCNF.cnf", vecCont, vecVar,
                                maxArity, maxDomain);
    if (!enc) helpAndFail();
    return enc;
  }
  if (is("-infosCSP")) infosCSP(argc);
  if (is("-constType")) constType(argc);

  showHelp();
  exit(0);
}
