#include "xcsp/XMLParser_libxml2.h"

#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <streambuf>

namespace CSPXMLParser {

namespace {

// A read-only stream over bytes in memory, without copying them.
class MemoryBuffer : public std::streambuf {
 public:
  MemoryBuffer(const char* data, size_t size) {
    char* p = const_cast<char*>(data);
    setg(p, p, p + size);
  }
};

// libxml2's last error message, without its line end.
std::string libxmlMessage(xmlParserCtxtPtr ctxt) {
  xmlErrorPtr err = xmlCtxtGetLastError(ctxt);
  std::string msg = (err && err->message) ? err->message : "";
  // Its first line only: the rest shows the offending bytes.
  msg = msg.substr(0, msg.find('\n'));
  while (!msg.empty() && (msg.back() == '\n' || msg.back() == ' ')) msg.pop_back();
  return msg;
}

}  // namespace

int XMLPushReader::currentLine() const {
  if (ctxt == nullptr || ctxt->input == nullptr) return 0;
  return ctxt->input->line;
}

void XMLPushReader::read(const char* data, size_t size, xmlSAXHandler* sax, void* adapter) {
  MemoryBuffer buf(data, size);
  std::istream in(&buf);
  read(in, sax, adapter);
}

void XMLPushReader::read(std::istream& in, xmlSAXHandler* sax, void* adapter) {
  LIBXML_TEST_VERSION
  xmlCheckVersion(20901);
  xmlSubstituteEntitiesDefault(1);
  failure = nullptr;
  failureLine = 0;

  char buf[chunkSize];
  in.read(buf, chunkSize);
  std::streamsize n = in.gcount();
  if (n <= 0) return;  // empty input: nothing to parse

  // No user data: libxml2's default handlers need the context itself.
  // Creating the context only stores the first chunk; parsing starts with
  // the next push, after the adapter is in place.
  ctxt = xmlCreatePushParserCtxt(sax, nullptr, buf, static_cast<int>(n), nullptr);
  if (ctxt == nullptr) throw std::runtime_error("cannot create the XML parser");
  ctxt->_private = adapter;
  // libxml2 stops delivering events after a fatal error or once a handler
  // failed: reading on would be useless.
  while (in.good() && !failure && ctxt->wellFormed) {
    in.read(buf, chunkSize);
    n = in.gcount();
    if (n > 0) xmlParseChunk(ctxt, buf, static_cast<int>(n), 0);
  }
  if (!failure && ctxt->wellFormed) xmlParseChunk(ctxt, buf, 0, 1);
  finish();
}

void XMLPushReader::finish() {
  bool wellFormed = ctxt->wellFormed != 0;
  std::string libxmlError = wellFormed ? std::string() : libxmlMessage(ctxt);
  int libxmlLine = currentLine();
  xmlErrorPtr err = xmlCtxtGetLastError(ctxt);
  if (err && err->line > 0) libxmlLine = err->line;
  if (ctxt->myDoc) xmlFreeDoc(ctxt->myDoc);
  ctxt->myDoc = nullptr;
  xmlFreeParserCtxt(ctxt);
  ctxt = nullptr;
  xmlCleanupParser();

  if (failure) {
    std::exception_ptr f = failure;
    failure = nullptr;
    try {
      std::rethrow_exception(f);
    } catch (const std::runtime_error& e) {
      std::cout << "Exception at line " << failureLine << std::endl;
      throw std::runtime_error(e.what());
    }
  }
  if (!wellFormed) {
    // libxml2 has written its own report to standard error.
    std::cout << "Exception at line " << libxmlLine << std::endl;
    throw std::runtime_error("the document is not well-formed XML (libxml2: " + libxmlError + ")");
  }
}

int reportUnexpectedException(const std::exception& e) {
  std::cout.flush();
  std::fflush(stdout);
  std::cerr << "\n\tUnexpected exception :\n\t" << e.what() << std::endl;
  return 1;
}

}  // namespace CSPXMLParser
