// Safe saving: atomic writes that leave nothing behind on failure, numbered save sets that
// skip taken names, and several programs saving into one directory at once.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/safe_file.h"

namespace fs = std::filesystem;

namespace {

// A fresh directory under the system's temporary directory, removed with its content.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (fs::temp_directory_path() / "weissenberg-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        path_ = pattern;
    }
    ~ScratchDir() { fs::remove_all(path_); }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::string str() const { return path_.string(); }
    std::set<std::string> names() const {
        std::set<std::string> all;
        for (const auto& entry : fs::directory_iterator(path_)) all.insert(entry.path().filename().string());
        return all;
    }

private:
    fs::path path_;
};

std::string contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

void writeText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

bool writeString(const std::string& path, const std::string& text, std::string* error) {
    return writeFileAtomically(path, text.data(), text.size(), error);
}

std::vector<unsigned char> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

TEST(SafeFile, AtomicWriteCreatesAndReplacesLeavingOnlyTheFile) {
    ScratchDir dir;
    std::string error = "stale";
    ASSERT_TRUE(writeString(dir / "log.csv", "h,k,l\n", &error)) << error;
    EXPECT_TRUE(error.empty());
    ASSERT_TRUE(writeString(dir / "log.csv", "h,k,l\n1,0,0\n", &error)) << error;
    EXPECT_EQ(contentOf(dir / "log.csv"), "h,k,l\n1,0,0\n");
    EXPECT_EQ(dir.names(), std::set<std::string>{"log.csv"});
}

TEST(SafeFile, FailedWriteNamesPathAndReasonAndLeavesNothing) {
    // Failures that hold for root too, where directory permissions stop nothing.
    ScratchDir dir;
    writeText(dir / "plain", "a regular file, not a directory");
    fs::create_directory(dir / "plain-dir");
    struct Case {
        std::string path;
        const char* reason;  // strerror text expected in the message, if one is certain
    };
    const Case cases[] = {
        {dir / "plain/weissenberg-001.png", std::strerror(ENOTDIR)},
        {dir / "missing/weissenberg-001.png", std::strerror(ENOENT)},
        {dir / "plain-dir", nullptr},  // a directory in the way of the rename
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(writeString(c.path, "content", &error)) << c.path;
        EXPECT_NE(error.find("„" + c.path + "“"), std::string::npos) << error;
        if (c.reason) {
            EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        }
        std::string newError;
        EXPECT_NE(writeNewFile(c.path, "x", 1, &newError), NewFileResult::written) << c.path;
    }
    EXPECT_EQ(dir.names(), (std::set<std::string>{"plain", "plain-dir"}));
    EXPECT_TRUE(fs::is_empty(dir / "plain-dir"));
}

namespace {

// In a child process: with a file size limit of 1000 bytes, replacing and creating a file of
// 5000 bytes must both fail, naming the reason. Exits 0 when they do.
[[noreturn]] void writeBeyondFileSizeLimit(const std::string& existing, const std::string& fresh) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    setrlimit(RLIMIT_FSIZE, &limit);
    const std::string big(5000, 'x');
    std::string error;
    const bool replaced = writeString(existing, big, &error);
    const bool named = error.find(std::strerror(EFBIG)) != std::string::npos;
    std::string newError;
    const bool created = writeNewFile(fresh, big.data(), big.size(), &newError) != NewFileResult::failed;
    std::_Exit(!replaced && named && !created ? 0 : 1);
}

}  // namespace

TEST(SafeFile, WriteCutShortByAFileSizeLimitLeavesTheOldContent) {
    // A file size limit makes write() stop part way (a short write, then EFBIG), as a full
    // disk would. Run in a child process so the limit does not touch the test's own output.
    ScratchDir dir;
    const std::string path = dir / "weissenberg-001-haupt.png";
    writeText(path, "old picture");
    EXPECT_EXIT(writeBeyondFileSizeLimit(path, dir / "other.png"), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(contentOf(path), "old picture");
    EXPECT_EQ(dir.names(), std::set<std::string>{"weissenberg-001-haupt.png"});
}

TEST(SafeFile, NewFileNeverReplacesAnExistingName) {
    ScratchDir dir;
    writeText(dir / "taken.png", "earlier save");
    ASSERT_EQ(::symlink("nowhere", (dir / "dangling.png").c_str()), 0);
    for (const std::string name : {"taken.png", "dangling.png"}) {
        std::string error;
        EXPECT_EQ(writeNewFile(dir / name, "new", 3, &error), NewFileResult::exists) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
    EXPECT_EQ(contentOf(dir / "taken.png"), "earlier save");
    std::string error;
    EXPECT_EQ(writeNewFile(dir / "fresh.png", "new", 3, &error), NewFileResult::written) << error;
    EXPECT_EQ(contentOf(dir / "fresh.png"), "new");
    EXPECT_EQ(dir.names(), (std::set<std::string>{"taken.png", "dangling.png", "fresh.png"}));
}

TEST(SafeFile, NumberedNames) {
    struct Case {
        std::string dir;
        int number;
        std::string expected;
    };
    const Case cases[] = {
        {"", 3, "weissenberg-003-haupt.png"},
        {"out", 42, "out/weissenberg-042-haupt.png"},
        {"out/", 999, "out/weissenberg-999-haupt.png"},
        {"/tmp", 1234, "/tmp/weissenberg-1234-haupt.png"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(numberedName(c.dir, "weissenberg-", c.number, "-haupt.png"), c.expected);
}

TEST(SafeFile, NextFreeNumberSkipsANumberWhenAnyNameOfTheSetIsTaken) {
    const std::vector<std::string> set = {"-haupt.png", "-dreh.png", "-log.csv"};
    struct Case {
        std::vector<std::string> existing;
        int expected;
    };
    const Case cases[] = {
        {{}, 1},
        {{"weissenberg-001-haupt.png"}, 2},
        {{"weissenberg-001-log.csv", "weissenberg-002-dreh.png"}, 3},
        {{"weissenberg-002-haupt.png"}, 1},                                  // a gap is used
        {{"weissenberg-001-other.png", "weissenberg-1-haupt.png", "x-001-log.csv"}, 1},  // not names of the set
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        for (const std::string& name : c.existing) writeText(dir / name, "");
        EXPECT_EQ(nextFreeNumber(dir.str(), "weissenberg-", set), c.expected) << c.existing.size() << " files";
    }
}

TEST(SafeFile, SavedSetsTakeConsecutiveNumbersAndReportEachFile) {
    ScratchDir dir;
    writeText(dir / "weissenberg-001-log.csv", "earlier");
    const std::vector<FileToSave> files = {{"-haupt.png", bytesOf("main")}, {"-log.csv", bytesOf("log")}};
    for (int expected : {2, 3}) {
        const SavedSet saved = saveNumberedSet(dir.str(), "weissenberg-", files);
        EXPECT_TRUE(saved.error.empty()) << saved.error;
        EXPECT_EQ(saved.number, expected);
        EXPECT_EQ(saved.paths, (std::vector<std::string>{numberedName(dir.str(), "weissenberg-", expected, "-haupt.png"),
                                                         numberedName(dir.str(), "weissenberg-", expected, "-log.csv")}));
    }
    EXPECT_EQ(contentOf(dir / "weissenberg-003-log.csv"), "log");
    EXPECT_EQ(contentOf(dir / "weissenberg-001-log.csv"), "earlier");

    const SavedSet failed = saveNumberedSet(dir / "weissenberg-001-log.csv", "weissenberg-", files);
    EXPECT_EQ(failed.number, 0);
    EXPECT_TRUE(failed.paths.empty());
    EXPECT_NE(failed.error.find(std::strerror(ENOTDIR)), std::string::npos) << failed.error;
    EXPECT_EQ(dir.names().size(), 5u);
}

TEST(SafeFile, ProgramsSavingAtOnceNeverShareANumber) {
    // Several processes save sets into one directory at the same time; every set must come
    // out whole under a number of its own: all files of a number from the same writer.
    ScratchDir dir;
    const int writers = 4, savesEach = 10;
    std::vector<pid_t> children;
    for (int w = 0; w < writers; ++w) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int s = 0; s < savesEach; ++s) {
                const std::string tag = "writer " + std::to_string(w) + " save " + std::to_string(s);
                const SavedSet saved = saveNumberedSet(dir.str(), "weissenberg-",
                                                       {{"-haupt.png", bytesOf(tag)}, {"-log.csv", bytesOf(tag)}});
                if (!saved.error.empty() || saved.paths.size() != 2) std::_Exit(1);
            }
            std::_Exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::set<std::string> tags;
    for (int number = 1; number <= writers * savesEach; ++number) {
        const std::string main = contentOf(numberedName(dir.str(), "weissenberg-", number, "-haupt.png"));
        EXPECT_EQ(main, contentOf(numberedName(dir.str(), "weissenberg-", number, "-log.csv"))) << number;
        tags.insert(main);
    }
    EXPECT_EQ(tags.size(), static_cast<std::size_t>(writers * savesEach));
    EXPECT_EQ(dir.names().size(), static_cast<std::size_t>(2 * writers * savesEach));  // no temporary files left
}
