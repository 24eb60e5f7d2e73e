// The application's own steps that need no X server.
#include "shell/SkeldApp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

namespace {

TEST(SkeldAppTest, DiscardingTheStateDeletesTheStateFilesAndStopsSaving) {
    TempFolder temp;
    ScopedEnvironment environment;
    environment.Set("HOME", (temp / "home").string());
    environment.Set("XDG_DATA_HOME", (temp / "data").string());
    environment.Set("XDG_CONFIG_HOME", (temp / "config").string());
    const std::filesystem::path folder = temp / "data" / "Kestrovin";
    std::filesystem::create_directories(folder);
    for (const char* name : {"Kestrovin.ksv", "Kestrovin.ksv.bak", "keyfreq.bin"}) {
        std::ofstream(folder / name) << "x";
    }

    CSkeldApp app;
    app.DiscardState();
    app.DiscardState();  // missing files are no failure

    EXPECT_EQ(app.LoggedOff, 2);
    EXPECT_FALSE(std::filesystem::exists(folder / "Kestrovin.ksv"));
    EXPECT_FALSE(std::filesystem::exists(folder / "Kestrovin.ksv.bak"));
    EXPECT_TRUE(std::filesystem::exists(folder / "keyfreq.bin"));
}

}  // namespace
