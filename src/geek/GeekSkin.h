#pragma once

#include <array>
#include <cstdint>
#include <string>

struct Preferences;

// The Geek Window's skin: the default skin, the check that brings it back when the stored
// one is blank, and what the window makes of the stored colours and transparency.
namespace GeekSkin {

// The slider's range; at Opaque the window is an ordinary opaque window.
constexpr std::int32_t MinTransparency = 0;
constexpr std::int32_t Opaque = 150;

// The sixteen text positions: keycount X, Y, mousecount, rank, meters, totalkeys, totalmouse,
// lastkeys, timenextskeld.
std::array<std::int32_t*, 16> Positions(Preferences& prefs);

// Sets the sixteen text positions, the nine colour components, GeekHeight and GeekWidth to the
// default skin (two columns at x 2 and 100, blue background, black labels, pale yellow
// values, 200 x 98); nothing else.
void RestoreDefault(Preferences& prefs);

// The check made each time the skin page opens: the default skin comes back when all sixteen
// positions are 0, or when all nine colour components and the size are 0. True when it did.
bool RestoreDefaultIfBlank(Preferences& prefs);

// A colour from three stored components, each used as its low 8 bits: 0xRRGGBB.
std::uint32_t Rgb(std::int32_t red, std::int32_t green, std::int32_t blue);

// The pixel colour a translucent window drops entirely.
constexpr std::uint32_t ColourKey = 0xFEFEFE;

// How the window is made see-through from the stored GeekTrans. The value is first kept to
// the slider's range: a value above 150 from an edited settings file would otherwise wrap the
// alpha to nearly 0 and make the window invisible.
struct Transparency {
    bool Layered = false;      // translucent, with the colour key
    std::uint8_t Alpha = 255;  // 105 at 0 ... 254 at 149; 255 when not layered

    static Transparency From(std::int32_t geekTrans);
};

// The values the skin page edits and writes back when the preferences dialog is saved.
struct Values {
    std::int32_t BGr = 0, BGg = 0, BGb = 0;
    std::int32_t Fr = 0, Fg = 0, Fb = 0;
    std::int32_t Vr = 0, Vg = 0, Vb = 0;
    std::int32_t Height = 0, Width = 0;
    std::int32_t Trans = 0;
    std::int32_t ViewNP = 0;
    std::string SkinName;

    static Values From(const Preferences& prefs);
    // Stores the skin values; the text positions are left alone (the X&Y dialog writes them).
    void ApplyTo(Preferences& prefs) const;
    bool operator==(const Values&) const = default;
};

}  // namespace GeekSkin
