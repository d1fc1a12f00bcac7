/* lsp.h: `zolt lsp`, a language server over the index: framing, text positions, the server. */
#ifndef ZOLT_HOSTS_LSP_H
#define ZOLT_HOSTS_LSP_H

#include <stddef.h>
#include <stdio.h>

#include <string>

/* Serves the editor on standard input and output until exit: the exit status. Installs the
   host record the query core needs (file-name masks) and the settings root. */
int ServeLspOnStdio(void);

/* --- framing: Content-Length headers, then the body --- */
enum {
    LSP_MESSAGE_MAX = 64 * 1024 * 1024, /* a larger body is refused and skipped unread */
    LSP_HEADER_LINE_MAX = 8192          /* a longer header line makes its header bad */
};
/* Where frames come from: up to size bytes into buf, 0 at the end, -1 on an error. */
typedef long (*FrameRead)(void *data, char *buf, size_t size);
struct FrameReader {
    FrameRead read;
    void *data;
    char buf[65536];
    size_t pos, len;
    int ended;
};
enum FrameResult {
    FRAME_OK = 0,         /* *body holds the message */
    FRAME_END = 1,        /* the input ended (a frame cut short included) */
    FRAME_BAD_HEADER = 2, /* a header without a usable Content-Length, passed over */
    FRAME_TOO_LARGE = 3   /* a body over LSP_MESSAGE_MAX, passed over without keeping it */
};
void StartFrameReader(FrameReader *r, FrameRead read, void *data);
int ReadFrame(FrameReader *r, std::string *body);
/* The bytes of one frame around body. */
std::string MakeFrame(const std::string &body);

/* --- positions and URIs --- */
/* The byte offset in line (length bytes) of an LSP character count: UTF-16 units (utf16 set),
   or bytes; an invalid UTF-8 byte counts as one unit, as the clients count it; past the end:
   the end. */
size_t ByteOfCharacter(const char *line, size_t length, size_t character, int utf16);
/* The LSP character count of byte offset pos of line. */
size_t CharacterOfByte(const char *line, size_t length, size_t pos, int utf16);
/* Line number line (0-based; LF, CR LF and lone CR end a line) of text: 1 and its start and
   length, 0 when the text has fewer lines. */
int FindTextLine(const std::string &text, size_t line, size_t *start, size_t *length);
/* file:///... to the native path, percent escapes decoded: 0, or -1 (another scheme, an
   authority, a NUL byte, a relative path). */
int UriToPath(const std::string &uri, std::string *path);
std::string PathToUri(const std::string &path);

/* --- the server --- */
/* Serves one connection: frames read through reader, written by write (whole frames, from any
   of the server's threads, one at a time). Returns the exit status: 0 after shutdown and exit,
   1 otherwise. zoltProgram runs the builds (`zoltProgram build DIR`). */
typedef void (*FrameWrite)(void *data, const std::string &frame);
int ServeLsp(FrameReader *reader, FrameWrite write, void *writeData, const char *zoltProgram);

#endif
