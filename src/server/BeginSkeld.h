#pragma once

struct RequestContext;

// How a skeld ended.
enum class SkeldOutcome {
    NotSent,     // one was in progress already, or there was nothing to send
    Accepted,    // the server took the counts
    Failed,      // not accepted: the counts stay unsent
    TokenReset,  // the server refused the token and a new one came in its place; the counts
                 // that were waiting went with the old token
};

// Starts a skeld of the unsent counts, unless one is in progress or there is nothing to send:
// shows the sending icon and tooltip, takes the snapshot and runs the exchange on a fresh
// request object, returning when the skeld has ended (EndSkeld included).
SkeldOutcome BeginSkeld(const RequestContext& context);
