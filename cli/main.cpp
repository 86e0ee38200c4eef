#include <cstdio>
int main() { std::puts("tesvane"); return 0; }
