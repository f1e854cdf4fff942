#pragma once

#include <string>
#include <vector>

class Constraint;
class Variable;
class Solver;

// The encoder of a "-toCNF" option ("-conflict", "-support", "-0AC",
// "-mixed", "-log", "-logsup", "-order", "-ordersup") writing to nameFile;
// null for any other option.
Solver* createEncoder(const std::string& option, const std::string& nameFile,
                      const std::vector<Constraint*>& vecCont, const std::vector<Variable*>& vecVar,
                      int maxArity, int maxDom);
