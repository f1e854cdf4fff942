#pragma once
// Run protocol of the program: argument pre-scan, reading the instance from
// standard input, interrupt handling, solver creation, search and report.

class Solver;

// The running solver; null until createSolver has returned.
extern Solver* s;

// Installed for SIGINT, SIGTERM and SIGALRM once the instance is read: the
// solver's final report for an unknown result, then the end of the process.
void handle_interrupt(int sig);

// Sets the builder's switches from the command line.  Returns false when the
// help text is asked for (no argument, or "-h" first).  A leading "-decExtN"
// is dropped from argc/argv, so that argv[1] is the mode.
bool prescanArguments(int& argc, char**& argv);

// The whole run; returns the process status when the mode's report does not
// end the process itself.
int runMain(int argc, char** argv);
