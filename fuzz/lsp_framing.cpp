/* lsp_framing: the language server's framing and dispatch over arbitrary bytes.
   Input: one byte that sets how many bytes each read gives (1 to 256), then the stream. The
   frames read must re-frame to themselves; the whole stream served must end (status 0 or 1)
   with every frame written well formed: its Content-Length the body's size, the body JSON. */
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "fuzz.h"
#include "lsp/lsp.h"

namespace {

struct Chunked {
    const uint8_t *data;
    size_t size, at, step;
};

long ReadChunk(void *p, char *buf, size_t size)
{
    Chunked *c = (Chunked *)p;
    size_t n = c->size - c->at;
    if (n > c->step) n = c->step;
    if (n > size) n = size;
    memcpy(buf, c->data + c->at, n);
    c->at += n;
    return (long)n;
}

void Keep(void *p, const std::string &frame)
{
    ((std::vector<std::string> *)p)->push_back(frame);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool ready = false;
    if (!ready) FuzzSetUp();
    ready = true;
    if (size < 1) return 0;
    Chunked c = {data + 1, size - 1, 0, (size_t)data[0] + 1};
    FrameReader *r = new FrameReader;
    StartFrameReader(r, ReadChunk, &c);
    std::string body;
    int got;
    while ((got = ReadFrame(r, &body)) != FRAME_END) {
        if (got != FRAME_OK) continue;
        /* a frame's body read back from its own framing is the same body */
        std::string again = MakeFrame(body), back;
        Chunked once = {(const uint8_t *)again.data(), again.size(), 0, again.size()};
        FrameReader *r2 = new FrameReader;
        StartFrameReader(r2, ReadChunk, &once);
        if (ReadFrame(r2, &back) != FRAME_OK || back != body) abort();
        delete r2;
    }
    c.at = 0;
    StartFrameReader(r, ReadChunk, &c);
    std::vector<std::string> out;
    int status = ServeLsp(r, Keep, &out, "/nonexistent/zolt");
    delete r;
    if (status != 0 && status != 1) abort();
    for (const std::string &frame : out) {
        size_t end = frame.find("\r\n\r\n");
        if (end == std::string::npos || frame.compare(0, 16, "Content-Length: ") != 0) abort();
        if (strtoul(frame.c_str() + 16, NULL, 10) != frame.size() - end - 4) abort();
        if (nlohmann::json::parse(frame.substr(end + 4), nullptr, false).is_discarded()) abort();
    }
    return 0;
}
