// The Geek Window at start, with its skin, showing the keys typed.
#include "endtoend/DesktopTest.h"

namespace {

// The Geek Window opened at start: its configured size and background, and the unsent key
// count on it growing as keys are typed.
TEST_F(DesktopTest, TheGeekWindowOpensAtStartWithItsSkinAndShowsTheKeysTyped) {
    const std::pair<const char*, std::int32_t> skin[] = {
        {"GeekStart", 1},    {"GeekLastX", 100},     {"GeekLastY", 200},     {"GeekWidth", 240},
        {"GeekHeight", 110}, {"GeekTrans", 150},     {"GeekBGr", 200},       {"GeekBGg", 40},
        {"GeekBGb", 60},     {"GeekFr", 0},          {"GeekFg", 0},          {"GeekFb", 0},
        {"GeekVr", 255},     {"GeekVg", 255},        {"GeekVb", 192},        {"keycount_X", 2},
        {"keycount_Y", 2},   {"mousecount_X", 2},    {"mousecount_Y", 15},   {"rank_X", 2},
        {"rank_Y", 28},      {"meters_X", 2},        {"meters_Y", 41},       {"totalkeys_X", 120},
        {"totalkeys_Y", 2},  {"totalmouse_X", 120},  {"totalmouse_Y", 15},   {"lastkeys_X", 120},
        {"lastkeys_Y", 28},  {"timenextskeld_X", 2}, {"timenextskeld_Y", 54}};
    SetPreference("GeekStart", 1);
    for (const auto& [name, value] : skin) {
        SetPreference(name, value, "Geek Window Skin");
    }
    const std::string icon = StartCounter();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    const pid_t pid = counters_.back()->Pid();
    std::string geek;
    ASSERT_TRUE(PollUntil(
        [&] {
            // The tray icon's window has the program's name too: the Geek Window is the wider.
            geek.clear();
            for (const std::string& window :
                 Words(Xdotool({"search", "--onlyvisible", "--pid", std::to_string(pid), "--name",
                                "^Kestrovin$"}))) {
                if (geek.empty() || GeometryOf(window).Width > GeometryOf(geek).Width) {
                    geek = window;
                }
            }
            return !geek.empty() && GeometryOf(geek).Width > 100;
        },
        10s))
        << "no Geek Window";
    const Geometry at = GeometryOf(geek);
    EXPECT_EQ(at.Width, 240);
    EXPECT_EQ(at.Height, 110);

    const std::filesystem::path before = folder_ / "geek-before.png";
    const std::filesystem::path after = folder_ / "geek-after.png";
    const auto shoot = [&](const std::filesystem::path& file) {
        return RunToEnd({"import", "-display", xvfb_.Name(), "-window", geek, file.string()},
                        PrivateDesktopHome::WithoutDesktop())
                   .Status == 0;
    };
    // ImageMagick's answer about a picture, "" when it failed.
    const auto describe = [&](const std::filesystem::path& file, const std::string& format,
                              const std::string& crop) {
        std::vector<std::string> arguments = {"convert", file.string()};
        if (!crop.empty()) {
            arguments.insert(arguments.end(), {"-crop", crop, "+repage"});
        }
        arguments.insert(arguments.end(), {"-format", format, "info:"});
        const ProgramResult result = RunToEnd(arguments, PrivateDesktopHome::WithoutDesktop());
        return result.Status == 0 ? result.Output : std::string();
    };
    // The bottom-right corner holds no text: the skin's background, once the window is painted.
    const std::string corner =
        "%[fx:int(255*p{236,106}.r+0.5)],%[fx:int(255*p{236,106}.g+0.5)],"
        "%[fx:int(255*p{236,106}.b+0.5)]";
    EXPECT_TRUE(PollUntil(
        [&] { return shoot(before) && describe(before, corner, "") == "200,40,60"; }, 10s))
        << "corner colour " << describe(before, corner, "");
    EXPECT_EQ(describe(before, "%w %h", ""), "240 110");

    // The "Key Count:" row, left column: its value changes once keys are counted.
    const std::string keyRow = "118x13+0+2";
    const std::string shown = describe(before, "%#", keyRow);
    ASSERT_FALSE(shown.empty());
    Type("hello");
    EXPECT_TRUE(
        PollUntil([&] { return shoot(after) && describe(after, "%#", keyRow) != shown; }, 10s))
        << "the key count on the Geek Window did not change";
    // The click row below stays as it was: the change is the key count's.
    EXPECT_EQ(describe(after, "%#", "118x13+0+15"), describe(before, "%#", "118x13+0+15"));
    ASSERT_TRUE(StopCounter());
    const std::string status = Status();
    EXPECT_EQ(StatusValue(status, "Unsent keys"), "5") << status;

    const std::filesystem::path pictures = KESTROVIN_SCREENSHOT_FOLDER;
    std::error_code ignored;
    std::filesystem::create_directories(pictures, ignored);
    std::filesystem::copy_file(before, pictures / "geek-window-before-typing.png",
                               std::filesystem::copy_options::overwrite_existing, ignored);
    std::filesystem::copy_file(after, pictures / "geek-window-after-typing.png",
                               std::filesystem::copy_options::overwrite_existing, ignored);
}

}  // namespace
