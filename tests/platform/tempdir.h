// tempdir.h: a fresh temporary directory per test, made current, and a private settings home.
#ifndef ZOLT_TESTS_PLATFORM_TEMPDIR_H
#define ZOLT_TESTS_PLATFORM_TEMPDIR_H

#include <gtest/gtest.h>

#include <ftw.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

struct TempDirTest : ::testing::Test {
    std::string root; // native path of the temporary directory
    std::string oldCwd;
    std::string oldXdg;
    bool hadXdg = false;

    void SetUp() override
    {
        char tmpl[] = "/tmp/zolt-platform-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        root = tmpl;
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldCwd = cwd;
        ASSERT_EQ(chdir(root.c_str()), 0);
        const char *xdg = getenv("XDG_CONFIG_HOME");
        hadXdg = xdg != nullptr;
        if (hadXdg) oldXdg = xdg;
        setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    }

    void TearDown() override
    {
        if (chdir(oldCwd.c_str()) != 0) ADD_FAILURE() << "cannot return to " << oldCwd;
        if (hadXdg) setenv("XDG_CONFIG_HOME", oldXdg.c_str(), 1);
        else unsetenv("XDG_CONFIG_HOME");
        nftw(root.c_str(), MakeWritable, 16, FTW_PHYS); // a test may have locked a directory
        nftw(root.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
    }

    static int MakeWritable(const char *path, const struct stat *sb, int type, struct FTW *)
    {
        if (type == FTW_D || type == FTW_DNR) chmod(path, sb->st_mode | 0700);
        return 0;
    }

    static int RemoveOne(const char *path, const struct stat *, int, struct FTW *)
    {
        (void)remove(path);
        return 0;
    }

    // The temporary name a build of this process writes an index file under before renaming it.
    static std::string TempName(const std::string &base)
    {
        return base + "." + std::to_string(getpid()) + "~zolt-temp";
    }

    static void WriteText(const std::string &path, const std::string &text)
    {
        FILE *f = fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr) << path;
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
    }

    static std::string ReadText(const std::string &path)
    {
        std::string text;
        FILE *f = fopen(path.c_str(), "rb");
        if (f == nullptr) return "<missing>";
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
        fclose(f);
        return text;
    }
};

#endif
