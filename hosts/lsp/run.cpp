/* run.cpp: the server on standard input and output, as `zolt lsp` runs it. */
#include <errno.h>
#include <limits.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <memory>

#include "common/wildcard.h"
#include "host/host.h"
#include "lsp/lsp.h"

static long ReadStdin(void *data, char *buf, size_t size)
{
    (void)data;
    for (;;) {
        ssize_t n = read(0, buf, size);
        if (n >= 0 || errno != EINTR) return (long)n;
    }
}

static void WriteStdout(void *data, const std::string &frame)
{
    (void)data;
    const char *p = frame.data();
    size_t left = frame.size();
    while (left > 0) {
        ssize_t n = write(1, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return; /* the client is gone: the end of its input follows */
        p += n;
        left -= (size_t)n;
    }
}

static int FARAPI LspCmpName(const char *pattern, const char *name, int skipPath)
{
    return pattern != NULL && name != NULL ? WildcardMatch(pattern, name, skipPath) : 0;
}

int ServeLspOnStdio(void)
{
    signal(SIGPIPE, SIG_IGN);
    /* the one service the query core asks of a host: file-name masks; and the options from
       the store `zolt config` writes */
    PluginStartupInfo info;
    memset(&info, 0, sizeof info);
    info.StructSize = (int)sizeof info;
    info.RootKey = "Software\\Far\\Plugins";
    info.CmpName = LspCmpName;
    InstallHostRecord(&info);
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    self[n > 0 ? n : 0] = '\0';
    std::unique_ptr<FrameReader> reader(new FrameReader); /* its buffer is large */
    StartFrameReader(reader.get(), ReadStdin, NULL);
    return ServeLsp(reader.get(), WriteStdout, NULL, n > 0 ? self : "zolt");
}
