#include "counting/Preferences.h"

void Preferences::ApplyNewAccountValues() {
    Preferences fresh;
    fresh.RetimeFromManualSkeld = 0;
    fresh.DistanceType = 0;
    fresh.GeekTrans = 150;
    fresh.GeekBGg = 153;
    fresh.GeekBGb = 204;
    fresh.GeekVr = 255;
    fresh.GeekVg = 255;
    fresh.GeekVb = 192;
    fresh.keycount_X = 2;
    fresh.keycount_Y = 2;
    fresh.mousecount_X = 2;
    fresh.mousecount_Y = 15;
    fresh.rank_X = 2;
    fresh.rank_Y = 28;
    fresh.meters_X = 2;
    fresh.meters_Y = 41;
    fresh.totalkeys_X = 100;
    fresh.totalkeys_Y = 2;
    fresh.totalmouse_X = 100;
    fresh.totalmouse_Y = 15;
    fresh.lastkeys_X = 100;
    fresh.lastkeys_Y = 28;
    fresh.timenextskeld_X = 2;
    fresh.timenextskeld_Y = 54;

    fresh.ProxyHost = ProxyHost;
    fresh.ProxyUser = ProxyUser;
    fresh.ProxyPass = ProxyPass;
    fresh.ProxyPort = ProxyPort;
    fresh.ProxyUse = ProxyUse;
    fresh.ProxyAuth = ProxyAuth;
    fresh.PortableMode = PortableMode;
    *this = fresh;
}
