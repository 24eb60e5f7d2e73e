#pragma once

struct RequestContext;

// Starts a skeld of the unsent counts, unless one is in progress or there is nothing to send:
// shows the sending icon and tooltip, takes the snapshot and runs the exchange on a fresh
// request object, returning when the skeld has ended (EndSkeld included).
// True when a skeld was sent and the server accepted it.
bool BeginSkeld(const RequestContext& context);
