#include "platform/x11/XlibThreads.h"

#include <X11/Xlib.h>

bool EnableXlibThreads() {
    // Xlib calls this itself since 1.8; calling it again is harmless.
    return XInitThreads() != 0;
}
