#include "tools/PreemptedConstraintFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "network/Variable.h"

using namespace std;

namespace {

[[noreturn]] void parseError(const string& detail) {
  cout.flush();
  cerr << "collectPreemptedInfo: error during the file parsing" << endl;
  if (!detail.empty()) cerr << "c " << detail << endl;
  exit(1);
}

bool readInt(const string& s, int& out) {
  if (s.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long x = strtol(s.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || x < INT_MIN || x > INT_MAX) return false;
  out = (int)x;
  return true;
}

bool isComment(const string& line) { return line.size() >= 2 && line[0] == 'c' && line[1] == ' '; }

// Integers of a header line after its two-character prefix.
vector<int> headerInts(const string& line, int lineNo) {
  istringstream in(line.substr(2));
  vector<int> r;
  string item;
  while (in >> item) {
    int x;
    if (!readInt(item, x)) parseError("line " + to_string(lineNo) + ": \"" + item + "\" is not an integer");
    r.push_back(x);
  }
  return r;
}

}  // namespace

PreemptedInfo collectPreemptedInfo(const string& nameFile, const vector<Variable*>& vecVar,
                                   vector<Variable*>& vRet, vector<vector<int>>& tuples) {
  ifstream in(nameFile);
  if (!in) parseError("cannot open " + nameFile);

  PreemptedInfo info;
  string line;
  int lineNo = 0;
  // Header lines in order: i, a, v.  stage counts the lines read so far.
  int stage = 0;
  while (stage < 3) {
    if (!getline(in, line)) parseError("the file ends before its i, a and v lines");
    lineNo++;
    if (isComment(line)) continue;
    static const char kinds[3] = {'i', 'a', 'v'};
    if (line.size() < 2 || line[0] != kinds[stage] || line[1] != ' ')
      parseError("line " + to_string(lineNo) + ": a line beginning \"" + string(1, kinds[stage]) +
                 " \" was expected");
    if (stage == 0) {
      vector<int> f = headerInts(line, lineNo);
      if (f.size() > 0) info.nbTuples = f[0];
      if (f.size() > 1) info.nbSat = f[1];
      if (f.size() > 2) info.nbUnsat = f[2];
    } else if (stage == 1) {
      vector<int> f = headerInts(line, lineNo);
      if (f.empty()) parseError("line " + to_string(lineNo) + ": the number of variables is missing");
      info.nbVars = f[0];
    } else {
      istringstream names(line.substr(2));
      string nm;
      while (names >> nm)
        for (Variable* x : vecVar)
          if (x->getName() == nm) {
            vRet.push_back(x);
            break;
          }
    }
    stage++;
  }

  while (getline(in, line)) {
    lineNo++;
    if (isComment(line)) continue;
    istringstream items(line);
    vector<int> t;
    string item;
    while (items >> item) {
      int x;
      if (!readInt(item, x))
        parseError("line " + to_string(lineNo) + ": \"" + item + "\" is not an integer value");
      t.push_back(x);
    }
    if (!t.empty() && t.size() == vRet.size()) tuples.push_back(t);
  }

  cerr << "c Information about the preempted constraint" << endl;
  cerr << "c Number of variable in the new constraint: " << info.nbVars << endl;
  cerr << "c Number of tuple in the new constraint: " << info.nbTuples << endl;
  cerr << "c Number of satisfiable tuple in the new constraint: " << info.nbSat << endl;
  cerr << "c Number of unsatisfiable tuple in the new constraint: " << info.nbUnsat << endl;
  cerr << "c " << endl;
  return info;
}
