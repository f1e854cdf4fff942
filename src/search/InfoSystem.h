#pragma once

#include <cstdint>

// Processor-time and memory probe owned by every solver.
class InfoSystem {
 public:
  InfoSystem();

  // Processor time used by the process so far, in seconds.
  double tpsElapsed();

  // Lap timer: processor seconds since the previous call (or since
  // construction for the first one).
  double elapsed_seconds();

  // Resident memory of the process in bytes, 0 when it cannot be read.
  uint64_t memUsed();

  // Field `field` (0-based) of /proc/<pid>/statm, in pages; 0 when the file
  // or the field cannot be read.  Uses only async-signal-safe calls, so the
  // final report may run it from an interrupt handler.
  int memReadStat(int field);

  double totalTime;
};
