#include "encodings/Encodings.h"

#include "encodings/OrderEncoding.h"
#include "encodings/conflictEncoding.h"
#include "encodings/mixteEncoding.h"
#include "encodings/supportEncoding.h"
#include "encodings/supportLogEncoding.h"

Solver* createEncoder(const std::string& option, const std::string& f,
                      const std::vector<Constraint*>& c, const std::vector<Variable*>& v, int maxA,
                      int maxD) {
  if (option == "-conflict") return new conflictEncoding(f, c, v, maxA, maxD, DIRECT);
  if (option == "-log") return new conflictEncoding(f, c, v, maxA, maxD, LOG);
  if (option == "-logsup") return new supportLogEncoding(f, c, v, maxA, maxD);
  if (option == "-order") return new OrderEncoding(f, c, v, maxA, maxD);
  if (option == "-ordersup") return new supportOrderEncoding(f, c, v, maxA, maxD);
  if (option == "-support") return new supportEncoding(f, c, v, maxA, maxD);
  if (option == "-0AC") return new ACEncoding(f, c, v, maxA, maxD);
  if (option == "-mixed") return new mixteEncoding(f, true, c, v, maxA, maxD);
  return nullptr;
}
