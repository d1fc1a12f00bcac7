/* tags.cpp: `zolt tags`: a tags file for vi, less and readtags, or Emacs' TAGS, from the project
   index of a directory (built first when it is missing or stale). */
#include <errno.h>
#include <getopt.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "host/farapi.h"
#include "index/index.h"
#include "plugin/headless.h"

enum { EXIT_OK = 0, EXIT_FAILED = 1, EXIT_USAGE = 2 };

static const char *const TAGS_TEXT[] = {
    "Builds the project index of DIR (default: the current directory) as zolt build does, when "
    "it is missing or stale, and writes its definitions as a tags file: DIR/tags in the form "
    "vi (:tag, Ctrl-]), less -t and readtags read, sorted by name, each with its file and line "
    "number; paths use '/' and are relative to the tags file. The file is written whole under "
    "another name first, then put in place; a file already there keeps its mode, and one you may "
    "not write is left as it is.",
    NULL};
static const HelpItem TAGS_OPTIONS[] = {
    {"-e, --etags", "write Emacs' form instead (default file DIR/TAGS)"},
    {"-o, --output FILE", "write FILE instead; '-' writes standard output, paths then relative "
                          "to the current directory"},
    {NULL, NULL}};
const CommandHelp TAGS_HELP = {
    "tags [--etags] [--output FILE] [DIR]", TAGS_TEXT, TAGS_OPTIONS, NULL,
    "0; 1 when the index could not be written (the tags then come from a fresh scan, said on "
    "stderr) or the tags file could not be; 2 on bad usage or when DIR is not a directory."};

static bool NameOrder(const Location &a, const Location &b)
{
    int c = strcmp(a.name, b.name);
    if (c != 0) return c < 0;
    c = strcmp(a.path, b.path);
    return c != 0 ? c < 0 : a.line < b.line;
}

static bool FileOrder(const Location &a, const Location &b)
{
    int c = strcmp(a.path, b.path);
    return c != 0 ? c < 0 : a.line < b.line;
}

/* vi's form: the header lines, then NAME<TAB>PATH<TAB>LINE;" sorted by bytes, as readtags and
   Vim's binary search expect of a file that says it is sorted; each PATH after dirPrefix. */
static void WriteCtags(FILE *out, const std::string &dirPrefix, std::vector<Location> *places)
{
    std::sort(places->begin(), places->end(), NameOrder);
    fputs("!_TAG_FILE_FORMAT\t2\t/extended format/\n"
          "!_TAG_FILE_SORTED\t1\t/0=unsorted, 1=sorted, 2=foldcase/\n"
          "!_TAG_PROGRAM_NAME\tzolt\t//\n"
          "!_TAG_PROGRAM_VERSION\t" ZOLT_VERSION "\t//\n",
          out);
    for (const Location &p : *places)
        if (p.name[0] != '!') /* no definition's name; it would read as a header line */
            fprintf(out, "%s\t%s%s\t%lu;\"\n", p.name, dirPrefix.c_str(), p.path, p.line);
}

/* Emacs' form: per file a form feed line, "PATH,SIZE" and its tags, each an empty pattern (so
   the line number alone places it) with the name given explicitly: DEL NAME SOH LINE ",". */
static void WriteEtags(FILE *out, const std::string &dirPrefix, std::vector<Location> *places)
{
    std::sort(places->begin(), places->end(), FileOrder);
    std::string section;
    for (size_t i = 0; i < places->size();) {
        const char *path = (*places)[i].path;
        char number[32];
        section.clear();
        for (; i < places->size() && strcmp((*places)[i].path, path) == 0; i++) {
            snprintf(number, sizeof number, "%lu", (*places)[i].line);
            section.append("\x7f").append((*places)[i].name).append("\x01").append(number);
            section.append(",\n");
        }
        fprintf(out, "\f\n%s%s,%zu\n%s", dirPrefix.c_str(), path, section.size(),
                section.c_str());
    }
}

/* Where the tags go: the directory its paths are relative to (absolute), the file written (a
   link followed) unless they go to standard output. */
struct TagsTarget {
    std::string base, file;
    int toStdout;
};

/* path as its canonical folder and name, following symbolic links to the file they name (also
   one that does not exist yet); *first: the folder of path itself. 0, or -1 with the reason in
   *why. */
static int ResolveFile(std::string path, std::string *first, std::string *folder,
                       std::string *name, const char **why)
{
    for (int links = 0; links < 16; links++) {
        size_t slash = path.rfind('/');
        std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
        *name = slash == std::string::npos ? path : path.substr(slash + 1);
        char real[PATH_MAX];
        if (name->empty() || *name == "." || *name == "..") {
            *why = "no file name";
            return -1;
        }
        if (realpath(dir.c_str(), real) == NULL) {
            *why = strerror(errno);
            return -1;
        }
        *folder = real;
        if (links == 0) *first = real;
        std::string full = (*folder == "/" ? "" : *folder) + "/" + *name;
        char target[PATH_MAX];
        ssize_t n = readlink(full.c_str(), target, sizeof target - 1);
        if (n < 0) return 0; /* not a link (or nothing there yet) */
        target[n] = '\0';
        path = target[0] == '/' ? std::string(target) : *folder + "/" + target;
    }
    *why = strerror(ELOOP);
    return -1;
}

static int ResolveTarget(const BatchArgs *a, const char *output, const char *dir, int etags,
                         TagsTarget *t)
{
    t->toStdout = output != NULL && strcmp(output, "-") == 0;
    if (t->toStdout) return CurrentDirectory(&t->base) == 0 ? 0 : -1;
    std::string file = output != NULL ? output : std::string(dir) + (etags ? "/TAGS" : "/tags");
    std::string name, folder;
    const char *why = "";
    /* paths are relative to the tags file as named: a link's folder, not its target's */
    if (ResolveFile(file, &t->base, &folder, &name, &why) != 0) {
        ArgError(a, "FILE '%s': %s", file.c_str(), why);
        return -1;
    }
    t->file = (folder == "/" ? "" : folder) + "/" + name;
    struct stat sb;
    if (stat(t->file.c_str(), &sb) == 0 && !S_ISREG(sb.st_mode)) {
        /* renaming over a device or a directory would replace it, not write to it */
        ArgError(a, "FILE '%s': not a regular file (-o - writes standard output)", file.c_str());
        return -1;
    }
    return 0;
}

/* Writes the tags to a temporary beside the file, then renames it over the file, so a failed
   write leaves the old one whole. 0, or -1 after saying why. */
static void WriteTags(FILE *out, int etags, const std::string &dirPrefix,
                      std::vector<Location> *places)
{
    if (etags) WriteEtags(out, dirPrefix, places);
    else WriteCtags(out, dirPrefix, places);
}

static int WriteTagsFile(const TagsTarget &t, int etags, const std::string &dirPrefix,
                         std::vector<Location> *places)
{
    if (t.toStdout) {
        WriteTags(stdout, etags, dirPrefix, places);
        return 0; /* FinishOutput checks it */
    }
    /* a file there keeps its mode, and one its user may not write is not replaced */
    struct stat old;
    int exists = stat(t.file.c_str(), &old) == 0;
    if (exists && access(t.file.c_str(), W_OK) != 0) {
        fprintf(stderr, "zolt: tags: cannot write %s: %s\n", t.file.c_str(), strerror(errno));
        return -1;
    }
    std::string temporary = t.file + ".zolt-XXXXXX";
    int fd = mkstemp(&temporary[0]);
    if (fd < 0 && errno == ENAMETOOLONG) { /* a name with no room for the suffix */
        temporary = t.file.substr(0, t.file.rfind('/') + 1) + "zolt-tags-XXXXXX";
        fd = mkstemp(&temporary[0]);
    }
    FILE *out = fd >= 0 ? fdopen(fd, "w") : NULL;
    if (out == NULL) {
        fprintf(stderr, "zolt: tags: cannot write %s: %s\n", t.file.c_str(), strerror(errno));
        if (fd >= 0) close(fd), unlink(temporary.c_str());
        return -1;
    }
    WriteTags(out, etags, dirPrefix, places);
    int failed = ferror(out) != 0 || fflush(out) != 0 || fsync(fileno(out)) != 0;
    int error = errno;
    if (fclose(out) != 0 && !failed) failed = 1, error = errno;
    mode_t mask = umask(0); /* mkstemp made it 0600: the mode a new file of the user's gets */
    umask(mask);
    mode_t mode = exists ? old.st_mode & 07777 : 0666 & ~mask;
    if (!failed && chmod(temporary.c_str(), mode) != 0) failed = 1, error = errno;
    if (!failed && rename(temporary.c_str(), t.file.c_str()) != 0) failed = 1, error = errno;
    if (failed) {
        unlink(temporary.c_str());
        fprintf(stderr, "zolt: tags: cannot write %s: %s\n", t.file.c_str(), strerror(error));
        return -1;
    }
    return 0;
}

int RunTags(int argc, char **argv)
{
    static const struct option LONG_OPTIONS[] = {{"help", no_argument, NULL, 'h'},
                                                 {"etags", no_argument, NULL, 'e'},
                                                 {"output", required_argument, NULL, 'o'},
                                                 {NULL, 0, NULL, 0}};
    BatchArgs a;
    BeginArgs(&a, "tags", argc, argv, ":heo:", LONG_OPTIONS);
    int etags = 0;
    const char *output = NULL;
    for (int c; (c = NextArg(&a)) != ARG_END;) {
        if (c == ARG_HELP) {
            PrintCommandHelp(stdout, &TAGS_HELP);
            return EXIT_OK;
        }
        if (c == ARG_ERROR) return EXIT_USAGE;
        if (c == 'e') etags = 1;
        else output = a.value;
    }
    if (argc - optind > 1) return ArgError(&a, "one DIR at most, not also '%s'", argv[optind + 1]);
    const char *dir = optind < argc ? argv[optind] : ".";
    TagsTarget target;
    if (ResolveTarget(&a, output, dir, etags, &target) != 0) return EXIT_USAGE;
    if (EnterDirectory(&a, dir) != 0 || InstallBatchHost() != 0) return EXIT_USAGE;

    CommandReport built;
    BeginBuildProgress();
    RunHeadlessCommand(OPEN_PLUGINSMENU, COMMAND_BUILD, &built); /* nothing when current */
    EndBuildProgress();
    int status = BatchWarningCount() > 0 ? EXIT_FAILED : EXIT_OK;
    std::string here;
    LocationList list;
    CommandReport listed;
    if (CurrentDirectory(&here) != 0 || ListLocations("", &list, &listed) != 0) {
        fputs(listed.damaged ? "zolt: tags: " PROJECT_INDEX_NAME " is damaged, out of order or "
                               "changed while read: zolt build writes it again\n"
                             : "zolt: tags: out of memory, or the index cannot be read\n",
              stderr);
        FreeLocations(&list);
        return EXIT_FAILED;
    }
    if (listed.noIndex)
        fprintf(stderr, "zolt: tags: no project index in %s: the tags come from a fresh scan\n",
                dir);
    try {
        if (WriteTagsFile(target, etags, RelativeDirectory(target.base, here), &list.places) != 0)
            status = EXIT_FAILED;
    } catch (const std::bad_alloc &) {
        fputs("zolt: tags: out of memory\n", stderr);
        status = EXIT_FAILED;
    }
    FreeLocations(&list);
    return status;
}
