#include "driver/RunProtocol.h"

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>

#include "driver/MyCallback.h"
#include "search/Solver.h"
#include "xcsp/XMLParser_libxml2.h"

using namespace std;

Solver* s = nullptr;

void handle_interrupt(int sig) {
  (void)sig;
  if (!s) {
    // Interrupted while the network was being handed to the mode: there is
    // no search state to report.
    static const char msg[] = "c interrupted before the solver was created\n";
    ssize_t w = write(STDERR_FILENO, msg, sizeof(msg) - 1);
    (void)w;
    _exit(0);
  }
  s->showFinal(3);
  exit(0);
}

namespace {

// Modes that compare constraint sets keep every intension constraint apart.
bool disablesMerge(const char* arg) {
  static const char* const names[] = {"-muc",        "-preemptedMin", "-preemptedTal",
                                      "-restoreMUC", "-restoreLS",    "-coMSSApp",
                                      "-interpretationToFalsifiedConstraints"};
  for (const char* n : names)
    if (!strcmp(arg, n)) return true;
  return false;
}

}  // namespace

bool prescanArguments(int& argc, char**& argv) {
  if (argc < 2 || !strcmp(argv[1], "-h")) return false;
  if (!strcmp(argv[1], "-decExtN")) {
    MyCallback::decBin = true;
    argv++;
    argc--;
  } else {
    MyCallback::decBin = false;
  }
  MyCallback::mergeInt = true;
  for (int i = 0; i < argc; i++)
    if (disablesMerge(argv[i])) MyCallback::mergeInt = false;
  return true;
}

int runMain(int argc, char** argv) {
  if (!prescanArguments(argc, argv)) {
    MyCallback::showHelp();
    return 0;
  }
  try {
    MyCallback cb;
    CSPXMLParser::XMLParser_libxml2<CSPXMLParser::CSPParserCallback,
                                    CSPXMLParser::DefaultASTFactory>
        reader(cb);
    reader.setPreferredExpressionRepresentation(CSPXMLParser::PREFIX);
    {
      // A document the reader or libxml2 rejects ends here with an
      // exception: nothing is solved on a partly built network.
      ifstream in("/dev/stdin", ios::in | ios::binary);
      reader.parse(in);
    }

    signal(SIGINT, handle_interrupt);
    signal(SIGTERM, handle_interrupt);
    signal(SIGALRM, handle_interrupt);

    s = cb.createSolver(0, argc, argv);
    int res = s->search(true);
    s->showFinal(res);
  } catch (exception& e) {
    return CSPXMLParser::reportUnexpectedException(e);
  }
  return 0;
}
