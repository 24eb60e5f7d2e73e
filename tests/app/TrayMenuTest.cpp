#include "app/TrayMenu.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using Kind = TrayMenuEntry::Kind;

TEST(TrayMenuTest, TheDefaultItemComesFirst) {
    const TrayMenuEntry& first = TrayMenuEntries().front();
    EXPECT_EQ(first.Depth, 0);
    EXPECT_EQ(first.What, Kind::Command);
    EXPECT_EQ(std::string(first.Text), "&Skeld Now");
    EXPECT_EQ(first.Command, TrayCommand::SkeldNow);
}

// What a menu builder relies on: every submenu has items, levels deepen one at a time and only
// under a submenu, no menu starts or ends with a separator, every command appears once.
TEST(TrayMenuTest, BuildsIntoAWellFormedMenu) {
    const auto entries = TrayMenuEntries();
    std::set<TrayCommand> commands;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TrayMenuEntry& entry = entries[i];
        const TrayMenuEntry* next = i + 1 < entries.size() ? &entries[i + 1] : nullptr;
        const int previousDepth = i == 0 ? 0 : entries[i - 1].Depth;
        const bool opensSubmenu = i > 0 && entries[i - 1].What == Kind::Submenu;
        SCOPED_TRACE(i);
        if (opensSubmenu) {
            EXPECT_EQ(entry.Depth, previousDepth + 1);
        } else {
            EXPECT_LE(entry.Depth, previousDepth);
        }
        switch (entry.What) {
            case Kind::Command:
                EXPECT_NE(std::string(entry.Text), "");
                EXPECT_TRUE(commands.insert(entry.Command).second);
                break;
            case Kind::Submenu:
                EXPECT_NE(std::string(entry.Text), "");
                EXPECT_EQ(entry.Command, TrayCommand::None);
                EXPECT_NE(next, nullptr);
                break;
            case Kind::Separator:
                EXPECT_FALSE(i == 0 || opensSubmenu);
                ASSERT_NE(next, nullptr);
                EXPECT_EQ(next->Depth, entry.Depth);
                EXPECT_NE(next->What, Kind::Separator);
                break;
        }
    }
    EXPECT_EQ(commands.size(), 16u);
}

TEST(TrayMenuTest, ExportedTextsKeepTheMnemonicAndShowOneAmpersand) {
    const struct {
        const char* Text;
        const char* Exported;
    } cases[] = {
        {"&Help && Support", "&Help & Support"}, {"E&xit", "E&xit"}, {"Preferences", "Preferences"},
        {"Drag && Drop", "Drag && Drop"},  // the first "&" is no mnemonic: Qt shows it right
        {"&A && B && C&&", "&A & B & C&"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextForExportedMenu(c.Text), c.Exported) << c.Text;
    }
}

}  // namespace
