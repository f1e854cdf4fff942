#pragma once

#include <cstddef>
#include <string>

// Buffered writer of DIMACS clause lines on a file descriptor.  Lines are
// assembled in a large buffer and written with one system call per buffer,
// so the cost of an encoding is the enumeration of its tuples, not output.
// A write error is remembered (errno) and reported by close().
class ClauseWriter {
 public:
  static const size_t bufferSize = 1 << 20;

  ClauseWriter();
  ~ClauseWriter();

  // Opens (creating or truncating) the file for writing; false with
  // error() set when it cannot be opened.
  bool open(const std::string& path);
  // Flushes and closes; false when any write or the close failed.
  bool close();
  bool isOpen() const { return fd >= 0; }
  // errno of the first failure, 0 if none.
  int error() const { return err; }

  // One literal followed by a blank.
  void lit(int l) {
    if (pos + 16 > bufferSize) flush();
    char* p = buf + pos;
    unsigned u;
    if (l < 0) {
      *p++ = '-';
      u = 0u - (unsigned)l;
    } else {
      u = (unsigned)l;
    }
    char tmp[12];
    int k = 0;
    do {
      tmp[k++] = (char)('0' + u % 10);
      u /= 10;
    } while (u);
    while (k) *p++ = tmp[--k];
    *p++ = ' ';
    pos = (size_t)(p - buf);
  }
  // Pre-rendered text (literals with their blanks).
  void text(const char* s, size_t n) {
    if (pos + n > bufferSize) {
      flush();
      if (n > bufferSize) {
        writeAll(s, n);
        return;
      }
    }
    for (size_t i = 0; i < n; i++) buf[pos + i] = s[i];
    pos += n;
  }
  // Ends the current clause: "0" and a line end.
  void end() {
    if (pos + 2 > bufferSize) flush();
    buf[pos++] = '0';
    buf[pos++] = '\n';
  }
  // Plain text (the header line).
  void raw(const std::string& s) { text(s.data(), s.size()); }

  void flush();
  // Flushes, then copies everything readable from in behind what was
  // written, in buffer-sized blocks; false on a read or write error.
  bool copyFrom(int in);

 private:
  void writeAll(const char* s, size_t n);

  int fd;
  int err;
  size_t pos;
  char* buf;
};

// Appends the text of literal l followed by a blank to out.
void appendLiteral(std::string& out, int l);
