#pragma once

// Makes Xlib safe to use from more than one thread: the mouse thread reads the cursor on a
// connection of its own while the user-interface thread reads input. A program using these
// backends calls it first thing in main, before any other Xlib call, before Qt opens its own
// connection and before any thread starts. False when Xlib has no thread support.
bool EnableXlibThreads();
