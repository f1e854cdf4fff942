#pragma once
// Reader of the preempted-constraint file: a new constraint in extension
// over some network variables, given as a header and a list of tuples.
//
//   c ...            comment lines, anywhere before the three header lines
//   i T S U          numbers of tuples, of satisfiable and unsatisfiable ones
//   a N              number of variables of the constraint
//   v X1 X2 ...      the variables, by name
//   1 2 ...          one tuple per line, one value per variable

#include <string>
#include <vector>

class Variable;

// The header figures of a preempted-constraint file.
struct PreemptedInfo {
  int nbTuples = 0, nbSat = 0, nbUnsat = 0;
  int nbVars = 0;
};

// Reads the file nameFile: vRet receives the network variables named on the
// "v" line (names of no variable are passed over), tuples every tuple line
// with exactly vRet.size() values (others are passed over).  Writes the
// header figures to standard error.  A missing or misplaced header line, an
// unreadable file or a tuple item that is not an integer writes a message to
// standard error and ends the process with status 1.
PreemptedInfo collectPreemptedInfo(const std::string& nameFile, const std::vector<Variable*>& vecVar,
                                   std::vector<Variable*>& vRet, std::vector<std::vector<int>>& tuples);
