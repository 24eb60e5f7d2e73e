#pragma once

struct RequestContext;

// How a skeld ended.
enum class SkeldOutcome {
    NotSent,          // one was in progress already, or there was nothing to send
    NotSaved,         // the counts could not be saved first, and the caller sends nothing then
    Accepted,         // the server took the counts
    AcceptedUnsaved,  // the server took the counts, but they and its new token could not be saved
    Failed,           // not accepted: the counts stay unsent
    TokenReset,       // the server refused the token and a new one came in its place; the counts
                      // that were waiting went with the old token
};

// Whether a skeld goes ahead when the counts could not be saved before it. Every accepted skeld
// brings a new token, the only one the server takes next.
enum class UnsavedSkeld {
    Send,    // the tray program keeps the new token in memory until a save succeeds
    Refuse,  // a command ends with its record: a token it cannot store would be lost
};

// Starts a skeld of the unsent counts, unless one is in progress or there is nothing to send:
// shows the sending icon and tooltip, takes the snapshot and runs the exchange on a fresh
// request object, returning when the skeld has ended (EndSkeld included).
SkeldOutcome BeginSkeld(const RequestContext& context, UnsavedSkeld unsaved = UnsavedSkeld::Send);
