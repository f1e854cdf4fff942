#include "network/constraints/BinarySupportTable.h"

long long BinarySupportTable::pairsBudget = 1LL << 28;
