#include "platform/linux/XdgAutostart.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "files/FileIo.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

namespace {

TEST(XdgAutostartTest, ExecQuotesAndEscapesThePathAsDesktopEntriesRequire) {
    const struct {
        const char* path;
        const char* exec;
    } cases[] = {
        {"/opt/kestrovin/kestrovin", "/opt/kestrovin/kestrovin"},
        {"/home/ann/My Programs/kestrovin", "\"/home/ann/My Programs/kestrovin\""},
        {"/home/ann/it's/kestrovin", "\"/home/ann/it's/kestrovin\""},
        // Inside quotes ", `, $ and \ take a backslash; the string value then doubles every
        // backslash.
        {"/home/ann/\"x\"/kestrovin", "\"/home/ann/\\\\\"x\\\\\"/kestrovin\""},
        {"/home/ann/$HOME/kestrovin", "\"/home/ann/\\\\$HOME/kestrovin\""},
        {"/home/ann/a\\b/kestrovin", "\"/home/ann/a\\\\\\\\b/kestrovin\""},
        {"/home/ann/`x`/kestrovin", "\"/home/ann/\\\\`x\\\\`/kestrovin\""},
        // "%" would start a field code, quoted or not.
        {"/home/ann/100%/kestrovin", "/home/ann/100%%/kestrovin"},
        {"/home/ann/100% sure/kestrovin", "\"/home/ann/100%% sure/kestrovin\""},
        // A line end cannot stand in a value.
        {"/home/ann/a\nb/kestrovin", "\"/home/ann/a\\nb/kestrovin\""},
        {"/home/ann/a\tb/kestrovin", "\"/home/ann/a\\tb/kestrovin\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(XdgAutostart::ExecValue(c.path), c.exec) << c.path;
    }
    EXPECT_EQ(XdgAutostart::ExecValue("/opt/kestrovin/kestrovin", "127.0.0.1:8080"),
              "env KESTROVIN_SERVER=127.0.0.1:8080 /opt/kestrovin/kestrovin");
    EXPECT_EQ(XdgAutostart::ExecValue("/home/ann/My Programs/kestrovin", "[::1]:8080"),
              "env KESTROVIN_SERVER=[::1]:8080 \"/home/ann/My Programs/kestrovin\"");
}

TEST(XdgAutostartTest, FromEnvironmentStartsThisExecutableFromTheConfigHome) {
    TempFolder home;
    ScopedEnvironment environment;
    environment.Set("HOME", home.Path().string());
    environment.Set("XDG_CONFIG_HOME", (home / "cfg").string());

    XdgAutostart entry = XdgAutostart::FromEnvironment();
    EXPECT_EQ(entry.EntryPath(), home / "cfg/autostart/Kestrovin.desktop");
    ASSERT_TRUE(entry.WriteEntry());

    const std::string exec =
        XdgAutostart::ExecValue(std::filesystem::read_symlink("/proc/self/exe").string());
    const std::string text = ReadWholeFile(entry.EntryPath()).value_or("");
    EXPECT_NE(text.find("\nExec=" + exec + "\n"), std::string::npos) << text;

    entry.RemoveEntry();
    EXPECT_FALSE(std::filesystem::exists(entry.EntryPath()));

    // Started with a server of its own, the program is started with it at the next log-in; a
    // value the program would ignore is not carried.
    environment.Set("KESTROVIN_SERVER", "127.0.0.1:28017");
    ASSERT_TRUE(XdgAutostart::FromEnvironment().WriteEntry());
    EXPECT_NE(ReadWholeFile(entry.EntryPath())
                  .value_or("")
                  .find("\nExec=env KESTROVIN_SERVER=127.0.0.1:28017 " + exec + "\n"),
              std::string::npos);
    environment.Set("KESTROVIN_SERVER", "http://127.0.0.1:28017/");
    ASSERT_TRUE(XdgAutostart::FromEnvironment().WriteEntry());
    EXPECT_NE(ReadWholeFile(entry.EntryPath()).value_or("").find("\nExec=" + exec + "\n"),
              std::string::npos);
}

TEST(XdgAutostartTest, AnEntryThatAlreadySaysTheSameIsLeftAlone) {
    TempFolder home;
    const auto inode = [](const std::filesystem::path& file) {
        struct stat info = {};
        ::stat(file.c_str(), &info);
        return info.st_ino;
    };
    XdgAutostart entry(home / "cfg", "/opt/kestrovin/kestrovin");
    ASSERT_TRUE(entry.WriteEntry());
    const ino_t written = inode(entry.EntryPath());
    ASSERT_TRUE(entry.WriteEntry());
    EXPECT_EQ(inode(entry.EntryPath()), written);

    // A program that moved, or an entry with other permissions, is written again.
    XdgAutostart moved(home / "cfg", "/usr/bin/kestrovin");
    ASSERT_TRUE(moved.WriteEntry());
    EXPECT_NE(ReadWholeFile(moved.EntryPath()).value_or("").find("\nExec=/usr/bin/kestrovin\n"),
              std::string::npos);
    ASSERT_EQ(::chmod(moved.EntryPath().c_str(), 0600), 0);
    ASSERT_TRUE(moved.WriteEntry());
    EXPECT_EQ(std::filesystem::status(moved.EntryPath()).permissions(),
              std::filesystem::perms(0644));
}

}  // namespace
