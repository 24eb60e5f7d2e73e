#include "platform/x11/XkbStateSelection.h"

#include <X11/XKBlib.h>

static_assert(XkbStateSelection::kTypingParts ==
              (XkbModifierBaseMask | XkbModifierLatchMask | XkbModifierLockMask | XkbGroupBaseMask |
               XkbGroupLatchMask | XkbGroupLockMask));

bool XkbStateSelection::KeepTypingPartsOnly(Display* display) {
    int opcode = 0, eventBase = 0, errorBase = 0;
    int major = XkbMajorVersion, minor = XkbMinorVersion;
    if (display == nullptr ||
        !XkbQueryExtension(display, &opcode, &eventBase, &errorBase, &major, &minor)) {
        return false;
    }
    // Every state part is affected, so the parts outside kTypingParts (pointer buttons, compat
    // and grab state) are deselected rather than left as they were.
    const bool sent = XkbSelectEventDetails(display, XkbUseCoreKbd, XkbStateNotify,
                                            XkbAllStateComponentsMask, kTypingParts);
    XFlush(display);
    return sent;
}
