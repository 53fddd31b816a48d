// What the tests share: whole-file reads and writes, the scratch folder of
// the test run, and (hqx_text.h) the tests' own BinHex encoder.
#ifndef QUILLON_TESTS_SUPPORT_H
#define QUILLON_TESTS_SUPPORT_H

#include <gtest/gtest.h>

#include <string>

#include "hqx_text.h"

std::string Read(const std::string &path);                     // "<missing>" when unreadable
void Write(const std::string &path, const std::string &bytes);

// A new, empty folder `name` in the run's scratch folder, which the run
// removes at its end (and a later run removes when the run was killed).
std::string Scratch(const std::string &name);

#endif
