// main.cpp - runs every benchmark in one process.
#include "bench/Benchmarks.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    bool all = argc < 2;
    auto wanted = [&](const char* name) {
        for (int i = 1; i < argc; ++i)
            if (std::strcmp(argv[i], name) == 0)
                return true;
        return all;
    };
    if (wanted("catalogue"))
        RunCatalogueBench();
    if (wanted("graphics"))
        RunGraphicsBench();
    if (wanted("startup"))
        RunStartupBench();
    if (wanted("painters"))
        RunPainterBench();
    if (wanted("button"))
        RunButtonBench();
    if (wanted("removal"))
        RunRemovalBench();
    std::fflush(stdout);
    return 0;
}
