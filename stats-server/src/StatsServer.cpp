#include "StatsServer.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace {

void Send(httplib::Response& response, const WebReply& reply) {
    response.status = reply.status;
    response.set_content(reply.body, reply.contentType.c_str());
}

void Redirect(httplib::Response& response, const std::string& to) {
    response.status = 301;
    response.set_header("Location", to);
    response.set_content("Moved to " + to + "\n", "text/plain; charset=utf-8");
}

std::string StatusLine(int status) {
    switch (status) {
        case 400:
            return "400 Bad Request\n";
        case 405:
            return "405 Method Not Allowed\n";
        case 413:
            return "413 Payload Too Large\n";
        case 414:
            return "414 URI Too Long\n";
        default:
            return "Error " + std::to_string(status) + "\n";
    }
}

}  // namespace

StatsServer::StatsServer(AccountDatabase& database, const PasswordHasher& hasher,
                         const Clock& clock, MailOutbox& mail, ServerSettings settings)
    : settings_(std::move(settings)),
      logins_(settings_.logins),
      context_{database, hasher, clock, mail, settings_, logins_},
      dispatcher_(context_),
      pages_(context_),
      passwordPages_(context_) {
    AddRoutes();
}

StatsServer::~StatsServer() {
    Stop();
}

void StatsServer::AddRoutes() {
    http_.set_payload_max_length(kMaxBodyBytes);
    http_.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    http_.set_read_timeout(kReadTimeoutSeconds);
    http_.set_write_timeout(kWriteTimeoutSeconds);
    http_.set_keep_alive_timeout(kKeepAliveSeconds);
    http_.set_keep_alive_max_count(kKeepAliveMaxRequests);

    // The client's requests. The body is read here rather than by the library, which would
    // parse it as a form of its own and refuse long ones (a keyboard image easily is).
    http_.Post("/server.php", [this](const httplib::Request& request, httplib::Response& response,
                                     const httplib::ContentReader& reader) {
        std::string body;
        bool tooLarge = false;
        const bool complete = reader([&](const char* data, std::size_t length) {
            if (body.size() + length > kMaxBodyBytes) {
                tooLarge = true;
                return false;
            }
            body.append(data, length);
            return true;
        });
        // The library refuses a declared length above the limit without handing over a byte.
        tooLarge =
            tooLarge || request.get_header_value<std::uint64_t>("Content-Length") > kMaxBodyBytes;
        if (tooLarge || !complete) {
            response.status = tooLarge ? 413 : 400;
            response.set_content(tooLarge ? "Request too large\n" : "Incomplete request\n",
                                 "text/plain; charset=utf-8");
            return;
        }
        const ActionReply reply = dispatcher_.Handle(body, request.remote_addr);
        response.status = reply.httpStatus;
        response.set_content(reply.body, "text/plain; charset=utf-8");
    });
    http_.Get("/server.php", [](const httplib::Request&, httplib::Response& response) {
        response.status = 405;
        response.set_header("Allow", "POST");
        response.set_content("Send requests with POST.\n", "text/plain; charset=utf-8");
    });

    http_.Get("/", [this](const httplib::Request&, httplib::Response& response) {
        Send(response, pages_.Home());
    });
    http_.Get(R"(/stats/users/(\d+)/)",
              [this](const httplib::Request& request, httplib::Response& response) {
                  Send(response, pages_.AccountStatistics(request.matches[1].str()));
              });
    http_.Get(R"(/(stats/users/\d+|downloads|wiki|dynimg|rgb|forum|computers|password))",
              [](const httplib::Request& request, httplib::Response& response) {
                  Redirect(response, request.path + "/");
              });
    http_.Get(R"(/keyboard-images/([^/]+))",
              [this](const httplib::Request& request, httplib::Response& response) {
                  Send(response, pages_.KeyboardImage(request.matches[1].str()));
              });
    http_.Get("/downloads/", [this](const httplib::Request&, httplib::Response& response) {
        Send(response, pages_.Downloads());
    });
    http_.Get("/wiki/", [this](const httplib::Request&, httplib::Response& response) {
        Send(response, pages_.Wiki());
    });
    http_.Get("/dynimg/", [this](const httplib::Request&, httplib::Response& response) {
        Send(response, pages_.DynamicImages());
    });
    http_.Get(R"(/dynimg/(\d+)\.svg)",
              [this](const httplib::Request& request, httplib::Response& response) {
                  Send(response, pages_.DynamicImage(request.matches[1].str()));
              });
    http_.Get("/rgb/", [this](const httplib::Request&, httplib::Response& response) {
        Send(response, pages_.RgbMap());
    });
    http_.Get("/forum/", [this](const httplib::Request&, httplib::Response& response) {
        Send(response, pages_.Forum());
    });
    // Opening the mailed link only shows the new password; its button confirms it.
    http_.Get(R"(/confirm-password/([0-9a-f]+))",
              [this](const httplib::Request& request, httplib::Response& response) {
                  Send(response, passwordPages_.ConfirmationForm(request.matches[1].str()));
              });
    http_.Post(R"(/confirm-password/([0-9a-f]+))",
               [this](const httplib::Request& request, httplib::Response& response) {
                   Send(response, passwordPages_.Confirm(request.matches[1].str()));
               });
    http_.Get("/password/", [this](const httplib::Request&, httplib::Response& response) {
        Send(response, passwordPages_.ChangeForm());
    });
    http_.Post("/password/", [this](const httplib::Request& request, httplib::Response& response) {
        Send(response, passwordPages_.Change(request.get_param_value("username"),
                                             request.get_param_value("old_password"),
                                             request.get_param_value("new_password"),
                                             request.get_param_value("new_password_again"),
                                             request.remote_addr));
    });
    http_.Get("/computers/", [this](const httplib::Request&, httplib::Response& response) {
        Send(response, pages_.AddComputerForm());
    });
    http_.Post("/computers/", [this](const httplib::Request& request, httplib::Response& response) {
        Send(response, pages_.AddComputer(
                           request.get_param_value("account"), request.get_param_value("password"),
                           request.get_param_value("computer"), request.remote_addr));
    });

    // Whatever has no body yet (an unknown address, a refused request) gets a short one.
    http_.set_error_handler([this](const httplib::Request&, httplib::Response& response) {
        if (!response.body.empty()) {
            return;
        }
        if (response.status == 404) {
            const int status = response.status;
            Send(response, pages_.NotFound());
            response.status = status;
            return;
        }
        response.set_content(StatusLine(response.status), "text/plain; charset=utf-8");
    });
    http_.set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
            response.status = 500;
            response.set_content("Internal server error\n", "text/plain; charset=utf-8");
        });
}

void StatsServer::ShowOutbox(const OutboxFolder& outbox) {
    // The messages hold confirmation links: whoever reads them can change a password.
    const auto local = [](const httplib::Request& request, httplib::Response& response) {
        if (IsLoopbackPeer(request.remote_addr)) {
            return true;
        }
        response.status = 403;
        response.set_content("The outbox is shown only on the server's own machine.\n",
                             "text/plain; charset=utf-8");
        return false;
    };
    http_.Get("/outbox", [](const httplib::Request&, httplib::Response& response) {
        Redirect(response, "/outbox/");
    });
    http_.Get("/outbox/",
              [this, &outbox, local](const httplib::Request& request, httplib::Response& response) {
                  if (local(request, response)) {
                      Send(response, pages_.Outbox(outbox));
                  }
              });
    http_.Get(R"(/outbox/([^/]+))",
              [this, &outbox, local](const httplib::Request& request, httplib::Response& response) {
                  if (local(request, response)) {
                      Send(response, pages_.OutboxMessage(outbox, request.matches[1].str()));
                  }
              });
}

bool StatsServer::IsLoopbackPeer(std::string_view address) {
    if (address.starts_with("::ffff:")) {
        address.remove_prefix(7);
    }
    if (address == "::1") {
        return true;
    }
    in_addr ipv4 = {};
    const std::string text(address);
    return inet_pton(AF_INET, text.c_str(), &ipv4) == 1 && (ntohl(ipv4.s_addr) >> 24) == 127;
}

bool StatsServer::Start(const std::string& host, int port, std::string& error) {
    // A client that goes away in the middle of a reply must not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    // The library listens with a backlog of 5: at the top of the hour dozens of clients connect
    // at once, and those beyond it wait a second or more for the SYN to be sent again. Listening
    // again on the bound socket raises the backlog to the system's limit.
    socket_t listening = INVALID_SOCKET;
    http_.set_socket_options([&listening](socket_t socket) {
        httplib::default_socket_options(socket);
        listening = socket;
    });
    errno = 0;
    if (port == 0) {
        port_ = http_.bind_to_any_port(host);
    } else {
        port_ = http_.bind_to_port(host, port) ? port : -1;
    }
    http_.set_socket_options(httplib::default_socket_options);
    if (port_ >= 0 && listening != INVALID_SOCKET) {
        ::listen(listening, SOMAXCONN);
    }
    if (port_ < 0) {
        error = "cannot listen on " + host + ":" + std::to_string(port) +
                (errno != 0 ? std::string(" (") + std::strerror(errno) + ")" : std::string());
        port_ = 0;
        return false;
    }
    if (settings_.publicUrl.empty()) {
        const bool anyAddress = host == "0.0.0.0" || host == "::" || host.empty();
        const std::string name = anyAddress                            ? std::string("localhost")
                                 : host.find(':') != std::string::npos ? "[" + host + "]"
                                                                       : host;
        settings_.publicUrl = "http://" + name + ":" + std::to_string(port_);
    }
    listener_ = std::jthread([this] {
        http_.listen_after_bind();
        listenerDone_ = true;
    });
    // The library ignores a stop that comes before it runs: wait until it does.
    while (!http_.is_running() && !listenerDone_) {
        std::this_thread::yield();
    }
    return true;
}

void StatsServer::Stop() {
    if (listener_.joinable()) {
        http_.stop();
        listener_.join();
    }
}
