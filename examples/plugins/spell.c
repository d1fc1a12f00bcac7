/* spell.c - marks words that are not in the word list */
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "plugin.h"
#include "screen.h"

#define WORDS_FILE "/usr/share/dict/words"
#define MAX_WORD 64

static char **words;
static long nwords;

static int compare_words(const void *a, const void *b)
{
    return strcmp(*(char *const *)a, *(char *const *)b);
}

static int spell_init(void)
{
    FILE *f = fopen(WORDS_FILE, "r");
    char line[MAX_WORD];
    long cap = 0;

    if (!f)
        return -1;
    while (fgets(line, sizeof line, f)) {
        line[strcspn(line, "\n")] = '\0';
        if (nwords == cap) {
            cap = cap ? cap * 2 : 1024;
            words = realloc(words, cap * sizeof *words);
        }
        words[nwords++] = strdup(line);
    }
    fclose(f);
    qsort(words, nwords, sizeof *words, compare_words);
    return 0;
}

static int is_known(const char *w)
{
    return bsearch(&w, words, nwords, sizeof *words, compare_words) != NULL;
}

static int spell_line(BUFFER *b, long n)
{
    LINE *l = buf_line(b, n);
    char word[MAX_WORD];
    size_t i = 0, k;

    while (l && i < l->text.len) {
        while (i < l->text.len && !isalpha((unsigned char)l->text.data[i]))
            i++;
        for (k = 0; i < l->text.len && isalpha((unsigned char)l->text.data[i]); i++)
            if (k + 1 < sizeof word)
                word[k++] = l->text.data[i];
        word[k] = '\0';
        if (k > 0 && !is_known(word))
            screen_status("unknown word: %s", word);
    }
    return 0;
}

static void spell_done(void)
{
    while (nwords > 0)
        free(words[--nwords]);
    free(words);
}

static QED_PLUGIN spell = { PLUGIN_API_VERSION, "spell", spell_init, spell_line, spell_done };

QED_PLUGIN *spell_plugin(void)
{
    return &spell;
}
