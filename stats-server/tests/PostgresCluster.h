#pragma once

#include <arpa/inet.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempFolder.h"

// A throw-away PostgreSQL server for tests: a cluster made with initdb in a temporary folder,
// served by postgres on a free loopback port (its socket in that folder too, trusting every
// local connection), stopped by its process id. PostgreSQL refuses to run as root, so under
// root both run as the user nobody.
class PostgresCluster {
public:
    // The newest installed server's programs (Debian keeps them out of PATH); empty when
    // there are none.
    static std::filesystem::path Binaries() {
        std::error_code error;
        std::vector<std::filesystem::path> found;
        for (const auto& version :
             std::filesystem::directory_iterator("/usr/lib/postgresql", error)) {
            if (std::filesystem::exists(version.path() / "bin" / "initdb") &&
                std::filesystem::exists(version.path() / "bin" / "postgres")) {
                found.push_back(version.path() / "bin");
            }
        }
        std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
            return std::stoi(a.parent_path().filename().string()) <
                   std::stoi(b.parent_path().filename().string());
        });
        return found.empty() ? std::filesystem::path() : found.back();
    }

    // The one cluster of this test program, started on first use and stopped at its exit;
    // null with the reason in `error` when it cannot be started.
    static PostgresCluster* Shared(std::string& error) {
        static std::unique_ptr<PostgresCluster> cluster;
        static std::string startError;
        if (!cluster && startError.empty()) {
            auto started = std::make_unique<PostgresCluster>();
            if (started->Start(startError)) {
                cluster = std::move(started);
            }
        }
        error = startError;
        return cluster.get();
    }

    ~PostgresCluster() { Stop(); }

    bool Start(std::string& error) {
        const std::filesystem::path binaries = Binaries();
        if (binaries.empty()) {
            error = "no PostgreSQL server programs in /usr/lib/postgresql/*/bin";
            return false;
        }
        if (!AsServerUser(folder_.Path(), error)) {
            return false;
        }
        const ProgramResult made = RunToEnd(
            Command({(binaries / "initdb").string(), "-D", (folder_ / "data").string(), "-U", kUser,
                     "--auth=trust", "--no-sync", "-E", "UTF8", "--locale=C"}),
            Environment());
        if (made.Status != 0) {
            error = "initdb failed: " + made.Output;
            return false;
        }
        // Another test program may take the free port first: then postgres ends at once and
        // gets another one.
        for (int attempt = 0; attempt < 5; ++attempt) {
            port_ = FreePort();
            server_ = std::make_unique<ChildProcess>(
                Command({(binaries / "postgres").string(), "-D", (folder_ / "data").string(), "-p",
                         std::to_string(port_), "-k", folder_.Path().string(), "-c",
                         "listen_addresses=127.0.0.1", "-c", "fsync=off", "-c",
                         "max_connections=60"}),
                Environment(), folder_ / "postgres.log");
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            const std::string admin = Url("postgres");
            while (PQping(admin.c_str()) != PQPING_OK) {
                if (server_->WaitForExit(std::chrono::milliseconds(50))) {
                    break;
                }
                if (std::chrono::steady_clock::now() > end) {
                    error = "postgres did not start within a minute: " + Log();
                    return false;
                }
            }
            if (server_->Pid() != 0) {
                return true;
            }
        }
        error = "postgres did not start: " + Log();
        return false;
    }

    // Immediate shutdown: nothing of a throw-away cluster needs writing back.
    void Stop() {
        if (server_ && server_->Pid() != 0) {
            ::kill(server_->Pid(), SIGQUIT);
            server_->WaitForExit(std::chrono::seconds(20));
        }
        server_.reset();
    }

    // The URL of a new, empty database of its own.
    std::optional<std::string> NewDatabase(std::string& error) {
        static std::atomic<int> count = 0;
        const std::string name = "kestrovin_" + std::to_string(++count);
        PGconn* admin = PQconnectdb(Url("postgres").c_str());
        PGresult* result = PQexec(admin, ("CREATE DATABASE " + name).c_str());
        const bool created = PQresultStatus(result) == PGRES_COMMAND_OK;
        if (!created) {
            error = PQerrorMessage(admin);
        }
        PQclear(result);
        PQfinish(admin);
        return created ? std::optional<std::string>(Url(name)) : std::nullopt;
    }

    std::string Url(const std::string& database) const {
        return "postgresql://" + std::string(kUser) + "@127.0.0.1:" + std::to_string(port_) + "/" +
               database;
    }

    std::string Log() const {
        std::ifstream in(folder_ / "postgres.log");
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    static constexpr const char* kUser = "kestrovin";

    static std::vector<std::string> Environment() { return {"PATH=/usr/bin:/bin", "LC_ALL=C"}; }

    // Under root the command runs as nobody, in a folder that user owns.
    bool AsServerUser(const std::filesystem::path& folder, std::string& error) {
        if (::geteuid() != 0) {
            return true;
        }
        const passwd* nobody = ::getpwnam("nobody");
        if (nobody == nullptr) {
            error = "PostgreSQL does not run as root, and there is no user nobody";
            return false;
        }
        uid_ = nobody->pw_uid;
        gid_ = nobody->pw_gid;
        if (::chown(folder.c_str(), uid_, gid_) != 0) {
            error = "cannot give " + folder.string() + " to nobody";
            return false;
        }
        return true;
    }

    std::vector<std::string> Command(std::vector<std::string> arguments) const {
        if (::geteuid() != 0) {
            return arguments;
        }
        std::vector<std::string> command = {"setpriv", "--reuid=" + std::to_string(uid_),
                                            "--regid=" + std::to_string(gid_), "--clear-groups"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return command;
    }

    static int FreePort() {
        const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
        ::close(probe);
        return ntohs(address.sin_port);
    }

    TempFolder folder_;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    int port_ = 0;
    std::unique_ptr<ChildProcess> server_;
};
