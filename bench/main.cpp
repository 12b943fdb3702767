// main.cpp - runs every benchmark once and prints its results.
#include "bench/Benchmarks.h"

int main() {
    RunGraphicsBench();
    return 0;
}
