// Program entry: placeholder until the driver lands.
#include <cstdio>
int main() { std::fprintf(stderr, "vantor: not built yet\n"); return 1; }
