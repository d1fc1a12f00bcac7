/* lsp.cpp: `zolt lsp`: its arguments and help; the server itself is hosts/lsp/. */
#include <getopt.h>
#include <stdio.h>

#include "batch/batch.h"
#include "lsp/lsp.h"

static const char *const LSP_TEXT[] = {
    "A language server (LSP 3.17, JSON-RPC with Content-Length framing on standard input and "
    "output) for any editor: go to definition, workspace symbols and document symbols from the "
    "project index, with no compile database. Definitions are looked up as Go to definition "
    "does (the document's own text, then zoltprj$.Far of the file's directory, its parent and "
    "grandparent and the root), then at each workspace folder. A folder without a project index "
    "is built in the background (zolt build, the same lock), and again after a file in it is "
    "saved. Diagnostics go to stderr, which editors keep in their log.",
    "Neovim 0.8 and later (init.lua): vim.api.nvim_create_autocmd('FileType', {pattern = {'c', "
    "'cpp'}, callback = function() vim.lsp.start{name = 'zolt', cmd = {'zolt', 'lsp'}, root_dir "
    "= vim.fn.getcwd()} end}); on 0.7 the same with vim.lsp.start_client{...} and "
    "vim.lsp.buf_attach_client(0, id).",
    "VS Code: a generic LSP client extension, with the command \"zolt\" and the arguments "
    "[\"lsp\"] for C and C++ documents.",
    "Emacs (eglot): (add-to-list 'eglot-server-programs '((c-mode c++-mode) . (\"zolt\" "
    "\"lsp\"))).",
    "Helix (languages.toml): [language-server.zolt] command = \"zolt\", args = [\"lsp\"]; and "
    "language-servers = [\"zolt\"] under [[language]] name = \"c\".",
    "Kate (LSP Client, User Server Settings): {\"servers\": {\"c\": {\"command\": [\"zolt\", "
    "\"lsp\"], \"highlightingModeRegex\": \"^C(\\\\+\\\\+)?$\"}}}.",
    NULL};
static const HelpItem LSP_OPTIONS[] = {
    {"--stdio", "serve on standard input and output (the only way; accepted for clients that "
                "pass it)"},
    {NULL, NULL}};
const CommandHelp LSP_HELP = {
    "lsp [--stdio]", LSP_TEXT, LSP_OPTIONS, NULL,
    "0 after shutdown and exit; 1 when the input ended or exit came without shutdown; 2 on bad "
    "usage."};

int RunLsp(int argc, char **argv)
{
    static const struct option LONG_OPTIONS[] = {
        {"help", no_argument, NULL, 'h'}, {"stdio", no_argument, NULL, 's'}, {NULL, 0, NULL, 0}};
    BatchArgs a;
    BeginArgs(&a, "lsp", argc, argv, ":hs", LONG_OPTIONS);
    for (int c; (c = NextArg(&a)) != ARG_END;) {
        if (c == ARG_HELP) {
            PrintCommandHelp(stdout, &LSP_HELP);
            return 0;
        }
        if (c == ARG_ERROR) return EXIT_BAD_USAGE;
    }
    if (optind < argc) return ArgError(&a, "too many arguments, from '%s'", argv[optind]);
    return ServeLspOnStdio();
}
