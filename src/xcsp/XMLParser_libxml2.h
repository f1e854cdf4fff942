#pragma once
// The libxml2 side of the reader: SAX version-1 handlers that forward each
// event to the tag machine, and the reading loop that pushes a document
// into libxml2's push parser in 4096-byte chunks.

#include <libxml/SAX2.h>
#include <libxml/parser.h>

#include <cstddef>
#include <exception>
#include <istream>
#include <string>

#include "xcsp/AttributeList.h"
#include "xcsp/UTF8String.h"
#include "xcsp/XMLParser.h"

namespace CSPXMLParser {

// Drives one libxml2 push parse.  The SAX handlers run every event through
// guard(): an exception is recorded with the line libxml2 was on, the parser
// is stopped, and read() reports it once libxml2 has returned, so that no
// exception ever unwinds through libxml2's own frames.
class XMLPushReader {
 public:
  static const int chunkSize = 4096;

  // Reads `in` to its end and pushes it through libxml2 with `sax`; the
  // parser context is the SAX user data and carries `adapter` in its
  // _private field.  Reader errors (runtime_error) are reported as
  // "Exception at line N" on standard output and rethrown as a runtime_error
  // with the same message; a document libxml2 rejects (libxml2 has already
  // written its own message to standard error) throws a runtime_error
  // naming libxml2's verdict.  Empty input parses nothing.
  void read(std::istream& in, xmlSAXHandler* sax, void* adapter);

  // Reads a document held in memory the same way.
  void read(const char* data, size_t size, xmlSAXHandler* sax, void* adapter);

  template <class F>
  void guard(F&& event) noexcept {
    if (failure) return;
    try {
      event();
    } catch (...) {
      failure = std::current_exception();
      failureLine = currentLine();
      if (ctxt) xmlStopParser(ctxt);
    }
  }

  // The line of the document libxml2 is reading.
  int currentLine() const;

 private:
  void finish();

  xmlParserCtxtPtr ctxt = nullptr;
  std::exception_ptr failure;
  int failureLine = 0;
};

// The outermost report of an exception: flushes standard output, writes
// "\n\tUnexpected exception :\n\t<message>\n" to standard error and returns
// the exit status 1.
int reportUnexpectedException(const std::exception& e);

template <class CSPParserCallback, class DefaultASTFactory>
class XMLParser_libxml2 {
 public:
  typedef XMLParser<CSPParserCallback, DefaultASTFactory, UTF8String, AttributeList> Parser;

  explicit XMLParser_libxml2(CSPParserCallback& cb) : cspParser(cb) {}

  void setPreferredExpressionRepresentation(Syntax syntax) {
    cspParser.setPreferredExpressionRepresentation(syntax);
  }

  // A version-1 SAX handler with the entries of this adapter: the six
  // events of the tag machine, CDATA sections and blanks as character data,
  // and a check on entity declarations.  libxml2's own default entries stay
  // for the rest; they get the parser context as user data, and the adapter
  // rides in the context's _private field.
  static void fillSAXHandler(xmlSAXHandler& handler) {
    xmlSAXVersion(&handler, 1);
    handler.startDocument = startDocument;
    handler.endDocument = endDocument;
    handler.characters = characters;
    handler.startElement = startElement;
    handler.endElement = endElement;
    handler.comment = comment;
    handler.cdataBlock = characters;
    handler.ignorableWhitespace = characters;
    handler.entityDecl = entityDecl;
  }

  // Reads one whole document from `in` (see XMLPushReader::read).
  void parse(std::istream& in) {
    xmlSAXHandler handler;
    fillSAXHandler(handler);
    XMLPushReader reader;
    pushReader = &reader;
    try {
      reader.read(in, &handler, this);
    } catch (...) {
      pushReader = nullptr;
      throw;
    }
    pushReader = nullptr;
  }

  // Reads one whole document held in memory.
  void parse(const char* data, size_t size) {
    xmlSAXHandler handler;
    fillSAXHandler(handler);
    XMLPushReader reader;
    pushReader = &reader;
    try {
      reader.read(data, size, &handler, this);
    } catch (...) {
      pushReader = nullptr;
      throw;
    }
    pushReader = nullptr;
  }

  Parser& getParser() { return cspParser; }

  static void startDocument(void* ctx) {
    // The document node only holds the entities the DTD declares.
    xmlSAX2StartDocument(ctx);
    forward(ctx, [](XMLParser_libxml2* self) { self->cspParser.startDocument(); });
  }

  static void endDocument(void* ctx) {
    forward(ctx, [](XMLParser_libxml2* self) { self->cspParser.endDocument(); });
  }

  static void characters(void* ctx, const xmlChar* ch, int len) {
    forward(ctx, [ch, len](XMLParser_libxml2* self) {
      self->cspParser.characters(UTF8String(ch, ch + len));
    });
  }

  static void startElement(void* ctx, const xmlChar* name, const xmlChar** atts) {
    forward(ctx, [name, atts](XMLParser_libxml2* self) {
      AttributeList attributes(atts);
      self->cspParser.startElement(UTF8String(name), attributes);
    });
  }

  static void endElement(void* ctx, const xmlChar* name) {
    forward(ctx, [name](XMLParser_libxml2* self) { self->cspParser.endElement(UTF8String(name)); });
  }

  static void comment(void*, const xmlChar*) {}

  // Internal entities are declared as usual; an external one would make
  // libxml2 read files or the network named by the document: refused.
  static void entityDecl(void* ctx, const xmlChar* name, int type, const xmlChar* publicId,
                         const xmlChar* systemId, xmlChar* content) {
    if (type == XML_INTERNAL_GENERAL_ENTITY || type == XML_INTERNAL_PARAMETER_ENTITY) {
      xmlSAX2EntityDecl(ctx, name, type, publicId, systemId, content);
      return;
    }
    forward(ctx, [](XMLParser_libxml2*) {
      throw std::runtime_error("external entities are not supported");
    });
  }

 private:
  // Runs one event on the adapter held by the parser context, under the
  // guard of the running push reader.
  template <class F>
  static void forward(void* ctx, F&& event) {
    XMLParser_libxml2* self =
        static_cast<XMLParser_libxml2*>(static_cast<xmlParserCtxtPtr>(ctx)->_private);
    if (self == nullptr) return;
    if (self->pushReader)
      self->pushReader->guard([self, &event] { event(self); });
    else
      event(self);
  }

  Parser cspParser;
  XMLPushReader* pushReader = nullptr;
};

}  // namespace CSPXMLParser
