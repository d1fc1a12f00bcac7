/* source.cpp: buffered source input. */
#include "scanner/source.h"

#include <string.h>

#include "platform/platform.h"

static size_t ReadFile(void *data, unsigned char *buf, size_t size)
{
    return fread(buf, 1, size, (FILE *)data);
}

static size_t ReadText(void *data, unsigned char *buf, size_t size)
{
    Source *src = (Source *)data;
    size_t n = src->textLeft < size ? src->textLeft : size;
    memcpy(buf, src->text, n);
    src->text += n;
    src->textLeft -= n;
    return n;
}

static void StartSource(Source *src)
{
    src->pos = src->len = 0;
    src->buf[0] = '\0';
    src->quote = src->escaped = 0;
    src->ended = 0;
    src->kind = 0;
}

void SourceOpenText(Source *src, const char *text, size_t length)
{
    src->fp = NULL;
    src->read = ReadText;
    src->readerData = src;
    src->text = (const unsigned char *)text;
    src->textLeft = length;
    StartSource(src);
}

int SourceOpen(Source *src, const char *path)
{
    src->fp = FileOpen(path, "rb");
    src->read = ReadFile;
    src->readerData = src->fp;
    src->text = NULL;
    src->textLeft = 0;
    /* Reads go straight into our buffer: a stdio buffer would only add a copy, and a status
       query of the file to size it. */
    if (src->fp != NULL) setvbuf(src->fp, NULL, _IONBF, 0);
    StartSource(src);
    return src->fp != NULL ? 0 : -1;
}

void SourceClose(Source *src)
{
    if (src->fp != NULL) fclose(src->fp);
    src->fp = NULL;
    src->readerData = NULL;
}

static int Refill(Source *src)
{
    size_t keep = src->len < (size_t)SOURCE_KEEP ? src->len : (size_t)SOURCE_KEEP;
    memmove(src->buf, src->buf + src->len - keep, keep);
    /* a reader comes back short only at the end of the file or on an error: then it is not asked
       again, which would cost one more read call per file */
    size_t n = 0;
    if (src->readerData != NULL && !src->ended)
        n = src->read(src->readerData, src->buf + keep, SOURCE_CHUNK);
    if (n < (size_t)SOURCE_CHUNK) src->ended = 1;
    src->pos = keep;
    src->len = keep + n;
    src->buf[src->len] = '\0';
    return n > 0;
}

int SourceGetByte(Source *src)
{
    if (src->pos >= src->len && !Refill(src)) return -1;
    return src->buf[src->pos++];
}

int SourceStepBack(Source *src)
{
    if (src->pos == 0) return -1;
    src->pos--;
    return 0;
}

char *SourceGetLine(Source *src, char *line, int size)
{
    if (size <= 0) return NULL;
    int n = 0;
    while (n < size - 1) {
        int c = SourceGetByte(src);
        if (c < 0) break;
        line[n++] = (char)c;
        if (c == '\n') break;
    }
    line[n] = '\0';
    return n > 0 ? line : NULL;
}
