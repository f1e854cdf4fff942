#include "encodings/ClauseWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

ClauseWriter::ClauseWriter() : fd(-1), err(0), pos(0), buf(new char[bufferSize]) {}

ClauseWriter::~ClauseWriter() {
  if (fd >= 0) ::close(fd);
  delete[] buf;
}

bool ClauseWriter::open(const std::string& path) {
  err = 0;
  pos = 0;
  fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    err = errno;
    return false;
  }
  return true;
}

void ClauseWriter::writeAll(const char* s, size_t n) {
  while (n > 0 && err == 0) {
    ssize_t w = ::write(fd, s, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return;
    }
    s += w;
    n -= (size_t)w;
  }
}

void ClauseWriter::flush() {
  if (fd >= 0 && pos > 0) writeAll(buf, pos);
  pos = 0;
}

bool ClauseWriter::copyFrom(int in) {
  flush();
  for (;;) {
    ssize_t n = ::read(in, buf, bufferSize);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (err == 0) err = errno;
      return false;
    }
    if (n == 0) return err == 0;
    writeAll(buf, (size_t)n);
    if (err != 0) return false;
  }
}

bool ClauseWriter::close() {
  if (fd < 0) return err == 0;
  flush();
  if (::close(fd) != 0 && err == 0) err = errno;
  fd = -1;
  return err == 0;
}

void appendLiteral(std::string& out, int l) {
  out += std::to_string(l);
  out += ' ';
}
