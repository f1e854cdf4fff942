#include "network/InfoValueVar.h"

#include <iostream>

int InfoValueVar::currentProp = 1;

void InfoValueVar::aff() const
{
    std::cout << "value = " << dom << " prop = " << header.prop << " glbProp = " << header.glbProp
              << " posInVar = " << header.posInVar << " diff = " << diff << " changed = " << header.changed
              << "\n";
}
