#include "files/ReplaceUserFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "files/FileIo.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

class ReplaceUserFileTest : public ::testing::Test {
protected:
    fs::path Path(const std::string& name) const { return temp / name; }
    void Write(const std::string& name, const std::string& text, fs::perms mode) const {
        std::ofstream(Path(name)) << text;
        fs::permissions(Path(name), mode);
    }

    TempFolder temp;
};

// What is written lands where a reader of the given path finds it; links stay links.
TEST_F(ReplaceUserFileTest, WritesFilesAndThroughLinks) {
    using P = fs::perms;
    fs::create_directory(Path("www"));
    Write("www/page.xml", "old", P::owner_read | P::owner_write | P::group_read);
    Write("plain.xml", "old", P::owner_read | P::owner_write);
    fs::create_symlink("www/page.xml", Path("link.xml"));  // relative to the link's folder
    fs::create_symlink(Path("link.xml"), Path("link-to-link.xml"));
    fs::create_symlink("www/new.xml", Path("dangling.xml"));
    const struct {
        const char* Given;
        const char* Written;  // the regular file that holds the text afterwards
        P Mode;
    } cases[] = {
        {"new.xml", "new.xml", P::owner_read | P::owner_write | P::group_read | P::others_read},
        {"plain.xml", "plain.xml", P::owner_read | P::owner_write},
        {"link.xml", "www/page.xml", P::owner_read | P::owner_write | P::group_read},
        {"link-to-link.xml", "www/page.xml", P::owner_read | P::owner_write | P::group_read},
        {"dangling.xml", "www/new.xml",
         P::owner_read | P::owner_write | P::group_read | P::others_read},
    };
    for (const auto& c : cases) {
        const std::string text = std::string("for ") + c.Given;
        std::string error;
        ASSERT_TRUE(ReplaceUserFile(Path(c.Given), text, 0644, &error)) << c.Given << ": " << error;
        EXPECT_EQ(ReadWholeFile(Path(c.Given)), text) << c.Given;
        EXPECT_EQ(fs::symlink_status(Path(c.Written)).type(), fs::file_type::regular) << c.Given;
        EXPECT_EQ(fs::status(Path(c.Written)).permissions(), c.Mode) << c.Given;
    }
    for (const char* link : {"link.xml", "link-to-link.xml", "dangling.xml"}) {
        EXPECT_TRUE(fs::is_symlink(Path(link))) << link;
    }
    // Nothing but the files themselves: no temporary files left beside them.
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("www")), fs::directory_iterator()), 2);
}

// Anything but a regular file is refused without being opened (a FIFO would wait for a reader
// for ever) and stays as it was.
TEST_F(ReplaceUserFileTest, RefusesAnythingButARegularFile) {
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    fs::create_directory(Path("folder"));
    fs::create_symlink(Path("fifo"), Path("link-to-fifo"));
    fs::create_symlink(Path("loop-b"), Path("loop-a"));
    fs::create_symlink(Path("loop-a"), Path("loop-b"));
    const struct {
        fs::path Given;
        std::string Why;
    } cases[] = {
        {Path("fifo"), Path("fifo").string() + " is not a regular file"},
        {Path("folder"), Path("folder").string() + " is not a regular file"},
        {"/dev/null", "/dev/null is not a regular file"},
        {Path("link-to-fifo"), Path("fifo").string() + " is not a regular file"},
        {Path("loop-a"), "too many levels of symbolic links"},
        {Path("missing") / "file.xml", "Cannot create"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ReplaceUserFile(c.Given, "text", 0644, &error)) << c.Given;
        EXPECT_NE(error.find(c.Why), std::string::npos) << c.Given << ": " << error;
    }
    EXPECT_EQ(fs::symlink_status(Path("fifo")).type(), fs::file_type::fifo);
    EXPECT_TRUE(fs::is_empty(Path("folder")));
    EXPECT_EQ(fs::symlink_status("/dev/null").type(), fs::file_type::character);
}

}  // namespace
