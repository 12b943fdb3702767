// Benchmarks.h - the benchmarks that `make bench` runs; each prints ratios measured in one run.
#pragma once

void RunCatalogueBench();
