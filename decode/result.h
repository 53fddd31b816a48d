// The results of the core's operations: zero when all that was asked is
// done, a negative value for each way it can fail, one meaning each.
// Operations that count (bytes, characters) return the count instead, and
// say so.
#ifndef QUILLON_DECODE_RESULT_H
#define QUILLON_DECODE_RESULT_H

const int kDone = 0;           // all that was asked is done
const int kNotFound = -1;      // what was looked for is not there (an identification
                               // line, a header, a fork: empty)
const int kCut = -2;           // the input ends before what it announces
const int kDamaged = -3;       // a CRC does not match the bytes it covers
const int kWriteFailed = -4;   // a write failed (a full disk, a medium gone)
const int kNoRoom = -5;        // the result does not fit its buffer, or memory
                               // for the work could not be had

// Not a result: what a check has not decided yet (the parts of a stream
// still to come).
const int kPending = 1;

#endif
