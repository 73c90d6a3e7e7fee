// A failed check in a fuzz target is a bug in the code under test: report
// what went wrong and stop so that libFuzzer keeps the input as a crash.
#pragma once

#include <cstdio>

#define VESTORA_FUZZ_CHECK(cond, what)                                                         \
  do {                                                                                         \
    if (!(cond)) {                                                                             \
      std::fprintf(stderr, "%s:%d: check failed: %s (%s)\n", __FILE__, __LINE__, #cond, what); \
      __builtin_trap();                                                                        \
    }                                                                                          \
  } while (0)
