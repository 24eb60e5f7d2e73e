#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// What arrived at a RecordingHttpServer, as it arrived.
struct RecordedRequest {
    std::string Method;
    std::string Target;  // "/server.php", or the absolute URI a proxy is sent
    httplib::Headers Headers;
    std::string Body;

    bool HasHeader(const std::string& name) const { return Headers.count(name) != 0; }
    std::string Header(const std::string& name) const {
        const auto found = Headers.find(name);
        return found != Headers.end() ? found->second : std::string();
    }
};

// An HTTP server on a free loopback port for one test. Every GET and POST, whatever its
// target, is recorded and then answered by the test's handler. Stopped on destruction.
class RecordingHttpServer {
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    explicit RecordingHttpServer(Handler handler) : handler_(std::move(handler)) {
        server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            Record(request, response);
        });
        // Read through the content reader, which takes form bodies of any size as they are.
        server_.Post(".*", [this](const httplib::Request& request, httplib::Response& response,
                                  const httplib::ContentReader& readBody) {
            httplib::Request whole = request;
            readBody([&whole](const char* data, std::size_t length) {
                whole.body.append(data, length);
                return true;
            });
            Record(whole, response);
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // The socket already listens; waiting here only makes sure stop() finds it running.
        while (!server_.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    ~RecordingHttpServer() {
        {
            std::scoped_lock lock(mutex_);
            shuttingDown_ = true;
        }
        shutdown_.notify_all();
        server_.stop();
        thread_.join();
    }

    RecordingHttpServer(const RecordingHttpServer&) = delete;
    RecordingHttpServer& operator=(const RecordingHttpServer&) = delete;

    int Port() const { return port_; }

    std::vector<RecordedRequest> Requests() const {
        std::scoped_lock lock(mutex_);
        return requests_;
    }

    // For handlers that stall: returns when the server is being stopped.
    void WaitForShutdown() {
        std::unique_lock lock(mutex_);
        shutdown_.wait(lock, [this] { return shuttingDown_; });
    }

private:
    void Record(const httplib::Request& request, httplib::Response& response) {
        {
            std::scoped_lock lock(mutex_);
            requests_.push_back({request.method, request.target, request.headers, request.body});
        }
        handler_(request, response);
    }

    Handler handler_;
    httplib::Server server_;
    mutable std::mutex mutex_;
    std::condition_variable shutdown_;
    bool shuttingDown_ = false;
    std::vector<RecordedRequest> requests_;
    int port_ = -1;
    std::thread thread_;
};
