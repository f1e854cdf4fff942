#include "search/InfoSystem.h"

#include <fcntl.h>
#include <unistd.h>

#include <ctime>

InfoSystem::InfoSystem() : totalTime(0) {}

double InfoSystem::tpsElapsed() { return (double)clock() / 1000000.0; }

double InfoSystem::elapsed_seconds() {
  double t = (double)clock() / 1000000.0;
  double lap = t - totalTime;
  totalTime = (double)clock() / 1000000.0;
  return lap;
}

uint64_t InfoSystem::memUsed() {
  int pages = memReadStat(1);  // resident set size
  if (pages <= 0) return 0;
  long pageSize = sysconf(_SC_PAGESIZE);
  if (pageSize <= 0) return 0;
  return (uint64_t)pages * (uint64_t)pageSize;
}

// Writes the decimal digits of n (n >= 0) at out, returns the end.
static char* putUnsigned(char* out, unsigned long n) {
  char tmp[24];
  int k = 0;
  do {
    tmp[k++] = (char)('0' + n % 10);
    n /= 10;
  } while (n);
  while (k) *out++ = tmp[--k];
  return out;
}

int InfoSystem::memReadStat(int field) {
  if (field < 0) return 0;
  char path[48] = "/proc/";
  char* p = putUnsigned(path + 6, (unsigned long)getpid());
  const char* tail = "/statm";
  while (*tail) *p++ = *tail++;
  *p = 0;

  int fd = open(path, O_RDONLY);
  if (fd < 0) return 0;
  char buf[256];
  ssize_t n = read(fd, buf, sizeof(buf) - 1);
  close(fd);
  if (n <= 0) return 0;
  buf[n] = 0;

  // Skip `field` blank-separated numbers, then parse the next one.
  char* q = buf;
  for (int f = 0; f < field; f++) {
    while (*q && *q != ' ') q++;
    if (!*q) return 0;
    q++;
  }
  if (*q < '0' || *q > '9') return 0;
  long v = 0;
  while (*q >= '0' && *q <= '9') {
    v = v * 10 + (*q - '0');
    if (v > 2147483647L) return 2147483647;
    q++;
  }
  return (int)v;
}
