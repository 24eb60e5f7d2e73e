#pragma once

#include <stdlib.h>

#include <clocale>
#include <locale>
#include <string>

#include "support/RunProgram.h"
#include "support/TempFolder.h"

// A German locale in force for the C library and the C++ streams, as the tray program gets it
// from the desktop (QApplication calls setlocale): made with localedef (from the locales
// package, which scripts/install-deps installs) into a folder of the test's own, so no locale
// needs to be installed system-wide. Back to "C" afterwards. GermanLocale.cpp, linked beside
// it, keeps LeakSanitizer quiet about what glibc holds on to.
class GermanLocale {
public:
    GermanLocale() {
        const std::string target = (folder_ / "de_DE.UTF-8").string();
        // localedef may warn with a non-zero status and still make the locale.
        RunProgram({"localedef", "-i", "de_DE", "-f", "UTF-8", target});
        ::setenv("LOCPATH", folder_.Path().c_str(), 1);
        active_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
        if (active_) {
            std::locale::global(std::locale("de_DE.UTF-8"));
        }
    }
    ~GermanLocale() {
        std::locale::global(std::locale::classic());
        std::setlocale(LC_ALL, "C");
        ::unsetenv("LOCPATH");
    }
    GermanLocale(const GermanLocale&) = delete;
    GermanLocale& operator=(const GermanLocale&) = delete;

    bool Active() const { return active_; }
    static constexpr const char* kSkipReason =
        "no German locale could be made (localedef and the locales package)";

private:
    TempFolder folder_;
    bool active_ = false;
};
