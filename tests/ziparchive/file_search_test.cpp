// The wildcard matcher and the recursive folder walk, on real folders.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <set>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "classlib/fileio.h"
#include "ziparchive/file_search.h"
#include "tests/ziparchive/scratch_files.h"

namespace {

const std::string kTrailSlash = "\x81\x5C";   // 乗: trail byte "\"
const std::string kUpperTrail = "\x81\x41";   // a character whose trail byte is "A"
const std::string kLowerTrail = "\x81\x61";   // a different one whose trail byte is "a"
const std::string kGbk = "\xD6\xD0\xCE\xC4";  // 中文

TEST(IsMatch, Table) {
    struct Case {
        std::string pattern, name;
        bool match;
    } cases[] = {
        {"*.txt", "A.TXT", true},
        {"*", "", true},
        {"*", "anything.at.all", true},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"<a-c>x", "bx", true},
        {"<!a-c>x", "bx", false},
        {"<!a-c>x", "zx", true},
        {"<^a-c>x", "zx", true},
        {"<c-a>x", "bx", false},
        {"<c-a>x", "cx", false},
        {"<abc>", "B", true},
        {"<a->", "-", true},
        {"*<0-9>.log", "123.log", true},
        {"*<0-9>.log", "a1.log", false},
        {"*<0-9>.log", ".log", true},
        {"abc*", "abc", true},
        {"a*<0-9>", "a", false},
        {"a*<0-9>", "a12", true},
        {"a*<0-9>", "a1b", false},
        {"<a-c", "a", false},
        {"<>", "a", false},
        {"<!>", "a", false},
        {"a*?", "ab", true},
        {"a*?", "a", false},
        {"*?", "x", true},
        {"*.*", "noext.", true},
        {"*.", "noext.", true},
        {"*.", "a.txt", false},
        {"*x*y", "axbxcy", true},
        {"*x*<0-9>y", "xaxy", true},   // the first "x" fails the digit run, the second fits
        {"*x<a-z>*<0-9>y", "xxa1y", true},
        // Code page 936 names: "?" is one character, case folding leaves trail bytes alone.
        {"*.txt", kGbk + ".TXT", true},
        {"?.txt", kGbk.substr(0, 2) + ".txt", true},
        {"??.txt", kGbk.substr(0, 2) + ".txt", false},
        {"??.txt", kGbk + ".txt", true},
        {kLowerTrail, kUpperTrail, false},
        {kUpperTrail + "*", kUpperTrail + "X", true},
        {"*" + kTrailSlash, "dir" + kTrailSlash, true},
        {"<" + kGbk + ">x", kGbk.substr(2, 2) + "x", true},
        {"<!" + kGbk + ">x", kGbk.substr(0, 2) + "x", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsMatch(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
}

TEST(IsMatch, ResultCodes) {
    EXPECT_EQ(MatchPattern("abc", "abc"), mrMatch);
    EXPECT_EQ(MatchPattern("ab", "abc"), mrPatternEnded);
    EXPECT_EQ(MatchPattern("abcd", "abc"), mrNameEnded);
    EXPECT_EQ(MatchPattern("*x", "abc"), mrNameEnded);
    EXPECT_EQ(MatchPattern("<x-z>bc", "abc"), mrClassMismatch);
    EXPECT_EQ(MatchPattern("abd", "abc"), mrCharMismatch);
    EXPECT_EQ(MatchPattern("a<bc", "abc"), mrBadClass);
    EXPECT_EQ(MatchPattern("a<!>c", "abc"), mrBadClass);
}

TEST(IsMatch, ManyStarsStayFast) {
    std::string name(2000, 'a');
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(IsMatch("*a*a*a*a*a*a*a*a*a*b", name));
    EXPECT_TRUE(IsMatch("*a*a*a*a*a*a*a*a*a*a", name));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

class FolderWalk : public ::testing::Test {
protected:
    TempDir d;
    std::string root = WinDir(d);
    void File(const std::string& rel, const std::string& data = "x") {
        ASSERT_TRUE(ForceDirectories(ExtractFilePath(root + rel)));
        WriteFileBytes(root + rel, data);
    }
    void Dir(const std::string& rel) { ASSERT_TRUE(ForceDirectories(root + rel)); }

    std::vector<std::string> Walk(const std::string& dir, bool recurse, const std::string& pattern,
                                  uint32_t attr = faAnyFile) {
        TDirSearch search(dir, attr, recurse, pattern);
        std::vector<std::string> out;
        TSearchRec rec;
        std::string path;
        while (search.NextFile(rec, path)) {
            EXPECT_EQ(ExtractFileName(ExcludeTrailingPathDelimiter(path)), rec.Name);
            out.push_back(path.substr(root.size()));
            if (out.size() > 10000) break;
        }
        EXPECT_TRUE(path.empty());
        EXPECT_FALSE(search.NextFile(rec, path));   // stays over
        return out;
    }
};

// Walks that run once with plain names and once with code page 936 names.
class NamedFolderWalk : public FolderWalk, public ::testing::WithParamInterface<TTestNames> {
protected:
    void SetUp() override { SKIP_IF_GBK_UNAVAILABLE(); }
    const std::string trail = GetParam().Trail;   // ends in a trail byte "\" for the GBK run
};

TEST_P(NamedFolderWalk, RecursiveWalkDeliversEachFolderBeforeItsContents) {
    File("top.txt");
    File("noext");
    Dir("sub");
    File("sub\\inner.txt");
    Dir("sub\\" + trail);
    File("sub\\" + trail + "\\deep.dat");
    Dir("empty");
    std::vector<std::string> got = Walk(root, true, "*.*");
    std::set<std::string> expect = {"top.txt", "noext", "sub\\", "sub\\inner.txt", "sub\\" + trail + "\\",
                                    "sub\\" + trail + "\\deep.dat", "empty\\"};
    EXPECT_EQ(std::set<std::string>(got.begin(), got.end()), expect);
    ASSERT_EQ(got.size(), expect.size());
    // A start folder whose last byte is a trail byte 0x5C still gets its own "\".
    EXPECT_EQ(Walk(root + "sub\\" + trail, false, "*.*"), std::vector<std::string>{"sub\\" + trail + "\\deep.dat"});
    // Depth first: a folder, then everything under it, without anything else in between.
    for (size_t i = 0; i < got.size(); ++i) {
        if (got[i].back() != '\\' || EndsWithChar(got[i], '\\') == false) continue;
        size_t j = i + 1;
        while (j < got.size() && got[j].compare(0, got[i].size(), got[i]) == 0) ++j;
        for (size_t k = j; k < got.size(); ++k)
            EXPECT_NE(got[k].compare(0, got[i].size(), got[i]), 0) << got[k] << " is apart from " << got[i];
    }
}

TEST_F(FolderWalk, PatternsAndNonRecursiveWalks) {
    File("a.txt");
    File("b.TXT");
    File("c.dat");
    File("noext");
    Dir("sub.txt");
    File("sub.txt\\d.txt");
    auto sorted = [](std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(sorted(Walk(root, false, "*.txt")), (std::vector<std::string>{"a.txt", "b.TXT"}));
    EXPECT_EQ(sorted(Walk(root, false, "*.")), (std::vector<std::string>{"noext"}));
    EXPECT_EQ(sorted(Walk(root, false, "*.*")), (std::vector<std::string>{"a.txt", "b.TXT", "c.dat", "noext"}));
    EXPECT_EQ(sorted(Walk(root, true, "*.txt")),
              (std::vector<std::string>{"a.txt", "b.TXT", "sub.txt\\", "sub.txt\\d.txt"}));
    // Without faDirectory in the mask the system reports no folders, so nothing recurses.
    EXPECT_EQ(sorted(Walk(root, true, "*.txt", faArchive | faReadOnly)), (std::vector<std::string>{"a.txt", "b.TXT"}));
    // A folder that does not exist is an empty walk.
    EXPECT_TRUE(Walk(root + "missing\\", true, "*.*").empty());
}

TEST_F(FolderWalk, WildcardFolderComponents) {
    File("sa\\x\\1.txt");
    File("sa\\y\\2.txt");
    File("sb\\x\\3.txt");
    File("sb\\x\\4.dat");
    File("t\\x\\5.txt");
    File("sa\\6.txt");
    std::vector<std::string> got = Walk(root + "s?\\x\\", false, "*.txt");
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<std::string>{"sa\\x\\1.txt", "sb\\x\\3.txt"}));
    got = Walk(root + "s*", false, "*.txt");
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<std::string>{"sa\\6.txt"}));
    got = Walk(root + "<st>*\\*\\", false, "*.txt");
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<std::string>{"sa\\x\\1.txt", "sa\\y\\2.txt", "sb\\x\\3.txt", "t\\x\\5.txt"}));
}

TEST_P(NamedFolderWalk, TreesDeeperThanTwentyOneLevels) {
    const int kDepth = 40;
    std::string rel;
    for (int i = 0; i < kDepth; ++i) rel += (i % 2 ? std::string("d") : trail) + "\\";
    Dir(rel);
    File(rel + "bottom.txt", "12345");
    File("side.txt");
    TDirSearch search(root, faAnyFile, true, "*.*");
    TSearchRec rec;
    std::string path;
    int folders = 0, maxLevel = 0;
    std::vector<std::string> files;
    while (search.NextFile(rec, path)) {
        maxLevel = std::max(maxLevel, search.GetLevel());
        if (EndsWithChar(path, '\\')) {
            ++folders;
        } else {
            files.push_back(path.substr(root.size()));
            if (rec.Name == "bottom.txt") {
                EXPECT_EQ(SearchRecSize(rec), 5);
            }
        }
    }
    EXPECT_EQ(folders, kDepth);
    EXPECT_EQ(maxLevel, kDepth);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"side.txt", rel + "bottom.txt"}));
}

#ifndef _WIN32
TEST_F(FolderWalk, LinksAreListedButNotEntered) {
    File("sub\\f.txt");
    ASSERT_EQ(symlink(d.Path().c_str(), (d.Path() + "sub/loop").c_str()), 0);
    std::vector<std::string> got = Walk(root, true, "*.*");
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<std::string>{"sub\\", "sub\\f.txt", "sub\\loop\\"}));
}
#endif

INSTANTIATE_TEST_SUITE_P(Names, NamedFolderWalk, ::testing::ValuesIn(TestNameSets()), TestNamesLabel);

}  // namespace
