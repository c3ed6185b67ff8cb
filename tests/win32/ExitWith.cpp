// A small program for the process tests: ends at once with the exit code it is given.
#include <cstdlib>

int main(int argc, char** argv) { return argc > 1 ? std::atoi(argv[1]) : 0; }
