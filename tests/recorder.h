// The reporter that tests, fuzzers and the benchmark give the driver: it
// keeps every message, in order, instead of showing it.
#ifndef QUILLON_TESTS_RECORDER_H
#define QUILLON_TESTS_RECORDER_H

#include <string>
#include <vector>

#include "extract/convert.h"

inline std::vector<std::string> RecordedMessages;

inline void RecordMessage(void *, const char *text)
{
    RecordedMessages.push_back(text);
}

inline const Reporter Recorder = {RecordMessage, nullptr};

#endif
