#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

// One connection of a RawHttpServer, for its script: the request as it arrived and the raw
// means to answer it well or badly.
class RawConnection {
public:
    RawConnection(int socket, int stopSignal) : socket_(socket), stop_(stopSignal) {}

    // The request's head and body, as far as they arrived.
    const std::string& Request() const { return request_; }

    // Sends these bytes as one piece; false once the client has gone or the server stops.
    bool Send(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t sent = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent <= 0) {
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        }
        return true;
    }
    // The head of a response with this status line and Content-Length, and then `body`.
    bool SendResponse(std::string_view body, std::string_view status = "200 OK") {
        return Send("HTTP/1.1 " + std::string(status) +
                    "\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: " +
                    std::to_string(body.size()) + "\r\n\r\n" + std::string(body));
    }
    // Waits this long, or less when the client hangs up or the server stops; false then.
    bool Pause(std::chrono::milliseconds time) {
        return !WaitForEnd(static_cast<int>(time.count()));
    }
    // Says nothing more until the client hangs up or the server stops.
    void Stall() { WaitForEnd(-1); }
    // Ends the connection with a reset instead of an orderly close.
    void Reset() {
        const linger abort{1, 0};
        ::setsockopt(socket_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    }

    // Reads the head and as much body as Content-Length announces.
    void ReadRequest() {
        char buffer[4096];
        std::size_t wanted = std::string::npos;
        while (request_.size() < wanted) {
            pollfd fds[2] = {{socket_, POLLIN, 0}, {stop_, POLLIN, 0}};
            if (::poll(fds, 2, -1) <= 0 || fds[1].revents != 0) {
                return;
            }
            const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
            if (got <= 0) {
                return;
            }
            request_.append(buffer, static_cast<std::size_t>(got));
            const auto headEnd = request_.find("\r\n\r\n");
            if (headEnd != std::string::npos && wanted == std::string::npos) {
                const auto length = request_.find("Content-Length: ");
                wanted = headEnd + 4 +
                         (length != std::string::npos && length < headEnd
                              ? std::stoul(request_.substr(length + 16))
                              : 0);
            }
        }
    }

private:
    // True when the client hung up or the server stops within `milliseconds` (-1: ever).
    bool WaitForEnd(int milliseconds) {
        const auto until =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            int left = -1;
            if (milliseconds >= 0) {
                left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                            until - std::chrono::steady_clock::now())
                                            .count());
                if (left <= 0) {
                    return false;
                }
            }
            pollfd fds[2] = {{socket_, POLLIN, 0}, {stop_, POLLIN, 0}};
            if (::poll(fds, 2, left) < 0 || fds[1].revents != 0) {
                return true;
            }
            if (fds[0].revents != 0) {
                char byte;
                if (::recv(socket_, &byte, 1, MSG_DONTWAIT) <= 0) {
                    return true;  // the client is gone
                }
            }
        }
    }

    int socket_;
    int stop_;
    std::string request_;
};

// An HTTP server on a free loopback port written on raw sockets, so that it can misbehave in
// every way a real server or network can: each connection's request is read and then handed
// to the test's script, which answers it however it likes. Connections are served one after
// another. Stopped on destruction, which also ends a script that stalls.
class RawHttpServer {
public:
    using Script = std::function<void(RawConnection&)>;

    explicit RawHttpServer(Script script) : script_(std::move(script)) {
        listening_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listening_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listening_, 8);
        socklen_t length = sizeof address;
        ::getsockname(listening_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        [[maybe_unused]] const int piped = ::pipe2(stop_, O_CLOEXEC);
        thread_ = std::thread([this] { Serve(); });
    }
    ~RawHttpServer() {
        ::close(stop_[1]);  // wakes every wait
        thread_.join();
        ::close(stop_[0]);
        ::close(listening_);
    }
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    int Port() const { return port_; }
    // How many connections have been served or are being served.
    int Connections() const { return connections_; }

private:
    void Serve() {
        for (;;) {
            pollfd fds[2] = {{listening_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 || fds[1].revents != 0) {
                return;
            }
            const int client = ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) {
                continue;
            }
            ++connections_;
            RawConnection connection(client, stop_[0]);
            connection.ReadRequest();
            script_(connection);
            ::close(client);
        }
    }

    Script script_;
    int listening_ = -1;
    int stop_[2] = {-1, -1};
    int port_ = 0;
    std::atomic<int> connections_ = 0;
    std::thread thread_;
};
