#pragma once

#include "server/ExchangeTimeouts.h"
#include "server/ServerAddress.h"

struct AppRecord;
class AppPersistence;
class Clock;
class KeyFrequencyTable;
class Logs;
class EndSkeldPort;
class TrayIconPort;
class UserPort;

// What the server requests work with besides the wire: the application's record, where its
// state is saved, the logs, the user, the tray, the clock, the server's address and the main
// window's end-of-skeld step, and how long an exchange may take. Everything referred to must
// outlive the requests.
struct RequestContext {
    AppRecord& Record;
    const KeyFrequencyTable& Frequencies;  // saved with the record
    const AppPersistence& Persistence;
    const Logs& Log;
    UserPort& User;
    TrayIconPort& Tray;
    const Clock& Time;
    ServerAddress Server;
    EndSkeldPort& SkeldEnd;
    ExchangeTimeouts Timeouts{};
};
