#include "geek/GeekSkin.h"

#include <algorithm>
#include <array>

#include "counting/Preferences.h"

namespace GeekSkin {

namespace {

std::array<std::int32_t*, 11> ColoursAndSize(Preferences& p) {
    return {&p.GeekBGr, &p.GeekBGg, &p.GeekBGb, &p.GeekFr,     &p.GeekFg,   &p.GeekFb,
            &p.GeekVr,  &p.GeekVg,  &p.GeekVb,  &p.GeekHeight, &p.GeekWidth};
}

template <std::size_t N>
bool AllZero(const std::array<std::int32_t*, N>& values) {
    return std::all_of(values.begin(), values.end(), [](const std::int32_t* v) { return *v == 0; });
}

}  // namespace

std::array<std::int32_t*, 16> Positions(Preferences& p) {
    return {&p.keycount_X,  &p.keycount_Y,  &p.mousecount_X,    &p.mousecount_Y,
            &p.rank_X,      &p.rank_Y,      &p.meters_X,        &p.meters_Y,
            &p.totalkeys_X, &p.totalkeys_Y, &p.totalmouse_X,    &p.totalmouse_Y,
            &p.lastkeys_X,  &p.lastkeys_Y,  &p.timenextskeld_X, &p.timenextskeld_Y};
}

void RestoreDefault(Preferences& p) {
    p.keycount_X = 2, p.keycount_Y = 2;
    p.mousecount_X = 2, p.mousecount_Y = 15;
    p.rank_X = 2, p.rank_Y = 28;
    p.meters_X = 2, p.meters_Y = 41;
    p.totalkeys_X = 100, p.totalkeys_Y = 2;
    p.totalmouse_X = 100, p.totalmouse_Y = 15;
    p.lastkeys_X = 100, p.lastkeys_Y = 28;
    p.timenextskeld_X = 2, p.timenextskeld_Y = 54;
    p.GeekBGr = 0, p.GeekBGg = 153, p.GeekBGb = 204;
    p.GeekFr = 0, p.GeekFg = 0, p.GeekFb = 0;
    p.GeekVr = 255, p.GeekVg = 255, p.GeekVb = 192;
    p.GeekHeight = 98;
    p.GeekWidth = 200;
}

bool RestoreDefaultIfBlank(Preferences& prefs) {
    bool restored = false;
    if (AllZero(Positions(prefs))) {
        RestoreDefault(prefs);
        restored = true;
    }
    if (AllZero(ColoursAndSize(prefs))) {
        RestoreDefault(prefs);
        restored = true;
    }
    return restored;
}

std::uint32_t Rgb(std::int32_t red, std::int32_t green, std::int32_t blue) {
    return (static_cast<std::uint32_t>(red) & 0xFFu) << 16 |
           (static_cast<std::uint32_t>(green) & 0xFFu) << 8 |
           (static_cast<std::uint32_t>(blue) & 0xFFu);
}

Transparency Transparency::From(std::int32_t geekTrans) {
    const std::int32_t kept = std::clamp(geekTrans, MinTransparency, Opaque);
    if (kept == Opaque) {
        return {};
    }
    return {true, static_cast<std::uint8_t>(kept + 105)};
}

Values Values::From(const Preferences& p) {
    return {p.GeekBGr, p.GeekBGg, p.GeekBGb,    p.GeekFr,    p.GeekFg,    p.GeekFb,     p.GeekVr,
            p.GeekVg,  p.GeekVb,  p.GeekHeight, p.GeekWidth, p.GeekTrans, p.GeekViewNP, p.SkinName};
}

void Values::ApplyTo(Preferences& p) const {
    p.GeekBGr = BGr, p.GeekBGg = BGg, p.GeekBGb = BGb;
    p.GeekFr = Fr, p.GeekFg = Fg, p.GeekFb = Fb;
    p.GeekVr = Vr, p.GeekVg = Vg, p.GeekVb = Vb;
    p.GeekHeight = Height, p.GeekWidth = Width;
    p.SkinName = SkinName;
    p.GeekViewNP = ViewNP;
    p.GeekTrans = Trans;
}

}  // namespace GeekSkin
