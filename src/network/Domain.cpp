#include "network/Domain.h"

#include <iostream>

Domain::Domain() : name("unknow") {}

Domain::Domain(const std::string& n) : name(n) {}

void Domain::aff() const
{
    for (int x : v) std::cout << " " << x;
    std::cout << "\n";
}

void Domain::showXCSP2() const
{
    std::cout << "<domain name=\"" << name << "\" nbValues=\"" << v.size() << "\">";
    size_t i = 0;
    bool first = true;
    while (i < v.size())
    {
        // Extend the run while each value is exactly one more than the last.
        size_t j = i;
        while (j + 1 < v.size() && (long long)v[j + 1] == (long long)v[j] + 1) j++;
        if (!first) std::cout << " ";
        first = false;
        if (j > i) std::cout << v[i] << ".." << v[j];
        else std::cout << v[i];
        i = j + 1;
    }
    std::cout << "</domain>\n";
}
