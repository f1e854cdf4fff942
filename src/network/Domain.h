#pragma once

#include <string>
#include <vector>

// A named list of integer values, in the order they were declared.
class Domain
{
public:
    std::string name;
    std::vector<int> v;

    Domain();
    explicit Domain(const std::string& name);

    void add(int value) { v.push_back(value); }
    int getSize() const { return (int)v.size(); }
    std::vector<int>& getVector() { return v; }
    void setName(const std::string& n) { name = n; }
    const std::string& getName() const { return name; }
    int operator[](int i) const { return v[i]; }

    // Values on one line, each preceded by a blank.
    void aff() const;
    // One XCSP 2.1 <domain> element; runs of consecutive integers as a..b.
    void showXCSP2() const;
};
