#include <curl/curl.h>
#include <signal.h>
#include <sqlite3.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "AccountDatabase.h"
#include "EngineFixture.h"
#include "support/ChildProcess.h"
#include "support/ListeningAddress.h"

namespace {

// One client's connection to a server over libcurl, kept alive between requests as the
// client program's would be.
class CurlClient {
public:
    explicit CurlClient(std::string origin)
        : url_(std::move(origin) + "/server.php"), curl_(curl_easy_init()) {}
    ~CurlClient() { curl_easy_cleanup(curl_); }
    CurlClient(const CurlClient&) = delete;
    CurlClient& operator=(const CurlClient&) = delete;

    Posted Post(const std::string& body) {
        std::string reply;
        curl_easy_setopt(curl_, CURLOPT_URL, url_.c_str());
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
        curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, Append);
        curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &reply);
        curl_easy_setopt(curl_, CURLOPT_TIMEOUT, 60L);
        curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
        if (curl_easy_perform(curl_) != CURLE_OK) {
            return {};
        }
        long status = 0;
        curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &status);
        return {static_cast<int>(status), reply};
    }

private:
    static std::size_t Append(char* data, std::size_t size, std::size_t count, void* reply) {
        static_cast<std::string*>(reply)->append(data, size * count);
        return size * count;
    }

    std::string url_;
    CURL* curl_;
};

std::string SkeldBody(const std::string& userId, const std::string& computer,
                      const std::string& token, int keys, int clicks, const std::string& miles) {
    return EncodedBody({{"action", "skeld"},
                        {"ostype", "1"},
                        {"userid", userId},
                        {"password", "secret"},
                        {"computer", computer},
                        {"token", token},
                        {"keycount", std::to_string(keys)},
                        {"clickcount", std::to_string(clicks)},
                        {"miles", miles}});
}

// The fresh token of an accepted skeld, or nothing.
std::optional<std::string> AcceptedToken(const Posted& reply) {
    if (reply.status != 200 || !reply.body.starts_with("100 P OK ")) {
        return std::nullopt;
    }
    return reply.body.substr(reply.body.rfind('\t') + 1);
}

// The fields of an "100 AC OK" reply: e-mail, keys, clicks, miles, user id, rank, token.
std::vector<std::string> AccountInfoFields(const std::string& reply) {
    std::vector<std::string> fields;
    if (!reply.starts_with("100 AC OK ")) {
        return fields;
    }
    std::size_t start = 10;
    for (std::size_t tab; (tab = reply.find('\t', start)) != std::string::npos; start = tab + 1) {
        fields.push_back(reply.substr(start, tab - start));
    }
    fields.push_back(reply.substr(start));
    return fields;
}

std::string IntegrityCheck(const std::filesystem::path& database) {
    sqlite3* connection = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(database.c_str(), &connection, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_exec(
            connection, "PRAGMA integrity_check",
            [](void* out, int, char** values, char**) {
                *static_cast<std::string*>(out) = values[0] != nullptr ? values[0] : "";
                return 0;
            },
            &result, nullptr);
    }
    sqlite3_close_v2(connection);
    return result;
}

class ReliabilityTest : public ServerFixture {
protected:
    std::string Origin() const { return "http://127.0.0.1:" + std::to_string(server_->Port()); }

    // The token of a computer the account has, as the setup assistant fetches it.
    std::string TokenOf(const std::string& name, const std::string& computer) {
        const auto fields = PayloadFields(Reply({{"action", "accountinfo"},
                                                 {"username", name},
                                                 {"password", "secret"},
                                                 {"computer", computer}}),
                                          "100 AC OK");
        return fields.size() == 7 ? fields[6] : "";
    }
};

// Many computers of many accounts skeld at once over real HTTP; every skeld is accepted and
// the accounts' totals are exactly the sums of what their computers sent.
TEST_F(ReliabilityTest, ConcurrentSkeldsFromManyAccountsAddUpExactly) {
    constexpr int kAccounts = 20;
    constexpr int kComputersPerAccount = 3;
    constexpr int kSkeldsPerComputer = 20;
    struct Computer {
        std::string userId, name, token;
    };
    std::vector<Computer> computers;
    for (int a = 0; a < kAccounts; ++a) {
        const std::string name = "user" + std::to_string(a);
        const auto account = Register(name);
        computers.push_back({account.userId, "desk", account.token});
        for (int c = 1; c < kComputersPerAccount; ++c) {
            const std::string computer = "pc" + std::to_string(c);
            ASSERT_EQ(PostWebForm("/computers/",
                                  "account=" + name + "&password=secret&computer=" + computer)
                          .status,
                      200);
            computers.push_back({account.userId, computer, TokenOf(name, computer)});
        }
    }

    std::atomic<int> refused = 0;
    const auto start = std::chrono::steady_clock::now();
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < computers.size(); ++i) {
            threads.emplace_back([&, i] {
                Computer computer = computers[i];
                CurlClient client(Origin());
                for (int s = 1; s <= kSkeldsPerComputer; ++s) {
                    // Keys s * (i + 1), clicks s, a quarter mile: sums that are exact in binary.
                    const auto token = AcceptedToken(
                        client.Post(SkeldBody(computer.userId, computer.name, computer.token,
                                              s * static_cast<int>(i + 1), s, "0.250")));
                    if (!token) {
                        ++refused;
                        return;
                    }
                    computer.token = *token;
                }
            });
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(refused, 0);
    const int skelds = static_cast<int>(computers.size()) * kSkeldsPerComputer;
    std::cout << "[ figures  ] " << skelds << " skelds from " << computers.size()
              << " concurrent computers of " << kAccounts << " accounts in " << seconds << " s ("
              << static_cast<int>(skelds / seconds) << " skelds/s)" << std::endl;

    constexpr int kSkeldSum = kSkeldsPerComputer * (kSkeldsPerComputer + 1) / 2;
    for (int a = 0; a < kAccounts; ++a) {
        std::int64_t keys = 0;
        for (int c = 0; c < kComputersPerAccount; ++c) {
            keys += static_cast<std::int64_t>(kSkeldSum) * (a * kComputersPerAccount + c + 1);
        }
        const auto fields = PayloadFields(Reply({{"action", "accountinfo"},
                                                 {"username", "user" + std::to_string(a)},
                                                 {"password", "secret"},
                                                 {"computer", "desk"}}),
                                          "100 AC OK");
        ASSERT_EQ(fields.size(), 7u);
        EXPECT_EQ(fields[1], std::to_string(keys)) << a;
        EXPECT_EQ(fields[2], std::to_string(kSkeldSum * kComputersPerAccount)) << a;
        EXPECT_EQ(std::stod(fields[3]), 0.25 * kSkeldsPerComputer * kComputersPerAccount) << a;
    }
    EXPECT_EQ(IntegrityCheck(folder_ / "stats.sqlite"), "ok");
}

// Bodies a broken or hostile client might send, from a fixed seed: each is refused with a 4xx
// or answered with one of the protocol's replies, never a server error, and the database stays
// sound.
TEST_F(ReliabilityTest, RandomMalformedBodiesAreRefusedAndTheDatabaseStaysSound) {
    const auto alice = Register("alice");
    std::mt19937 random(20261210);
    const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    const std::string valid[] = {
        SkeldBody(alice.userId, "desk", alice.token, 10, 2, "0.500"),
        EncodedBody({{"action", "register_account"},
                     {"username", "bob"},
                     {"password", "pw"},
                     {"computer", "den"},
                     {"email", "bob@example.org"}}),
        EncodedBody({{"action", "accountinfo"},
                     {"username", "alice"},
                     {"password", "secret"},
                     {"computer", "desk"}}),
        EncodedBody({{"action", "keyboard_image"},
                     {"userid", alice.userId},
                     {"password", "secret"},
                     {"computer", "desk"},
                     {"xml", "<KeyFrequencies><Letters><A>3</A></Letters></KeyFrequencies>"}}),
    };
    // Some plain numbers among them, so that requests also get past the form checks.
    const std::string odd[] = {"-1",  "1e999", "",           "\x01\xff", "99999999999999999999",
                               "nan", "0x10",  " 5",         "%00",      std::string(300, 'x'),
                               "5",   "0",     "2147483647", "0.125"};
    constexpr int kBodies = 600;
    std::map<std::string, int> outcomes;
    for (int i = 0; i < kBodies; ++i) {
        std::string body;
        switch (i % 4) {
            case 0: {  // random bytes
                body.resize(pick(200));
                for (char& c : body) {
                    c = static_cast<char>(pick(256));
                }
                break;
            }
            case 1: {  // a valid body with bytes changed, cut or doubled
                body = valid[pick(std::size(valid))];
                for (std::size_t n = pick(4) + 1; n > 0; --n) {
                    const std::size_t at = pick(body.size());
                    switch (pick(3)) {
                        case 0:
                            body[at] = static_cast<char>(pick(256));
                            break;
                        case 1:
                            body.erase(at, pick(20));
                            break;
                        default:
                            body.insert(at, body.substr(at, pick(20)));
                    }
                }
                break;
            }
            default: {  // well encoded, with values no client sends
                Fields fields = {
                    {"action", pick(2) == 0 ? "skeld" : "register_account"},
                    {"ostype", "1"},
                    {"userid", pick(2) == 0 ? alice.userId : odd[pick(std::size(odd))]},
                    {"username", odd[pick(std::size(odd))]},
                    {"password", pick(2) == 0 ? "secret" : odd[pick(std::size(odd))]},
                    {"computer", pick(2) == 0 ? "desk" : odd[pick(std::size(odd))]},
                    {"email", odd[pick(std::size(odd))] + "@x"},
                    {"token", odd[pick(std::size(odd))]},
                    {"keycount", odd[pick(std::size(odd))]},
                    {"clickcount", odd[pick(std::size(odd))]},
                    {"miles", odd[pick(std::size(odd))]}};
                body = EncodedBody(fields);
            }
        }
        const Posted posted = PostBody(body);
        const bool refused = posted.status >= 400 && posted.status < 500;
        const bool protocolReply = posted.status == 200 && !posted.body.empty() &&
                                   posted.body.size() < 1000 &&
                                   std::isdigit(static_cast<unsigned char>(posted.body[0]));
        ASSERT_TRUE(refused || protocolReply)
            << i << ": HTTP " << posted.status << " " << posted.body.substr(0, 200);
        ++outcomes[posted.status == 200 ? posted.body.substr(0, posted.body.find_first_of(" \t", 4))
                                        : std::to_string(posted.status)];
    }
    std::cout << "[ figures  ] " << kBodies << " malformed bodies:";
    for (const auto& [outcome, count] : outcomes) {
        std::cout << " " << outcome << " x" << count << ";";
    }
    std::cout << std::endl;
    EXPECT_EQ(IntegrityCheck(folder_ / "stats.sqlite"), "ok");
    EXPECT_EQ(Reply({{"action", "check_version"}, {"os", "windows"}}), "1.7.1");
}

// Server programs started as a deployment runs them, on one database of the test's engine.
class ServerProcessTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override { FreshDatabase(GetParam(), folder_, location_); }

    // Starts kestrovin-stats-server on a free port; its origin ("http://127.0.0.1:port").
    std::string StartServerProcess(std::unique_ptr<ChildProcess>& server) {
        const auto output = folder_ / ("server" + std::to_string(++started_) + ".out");
        server = std::make_unique<ChildProcess>(
            std::vector<std::string>{KESTROVIN_STATS_SERVER_PATH, "--db", location_, "--port", "0"},
            std::vector<std::string>{"PATH=/usr/bin:/bin"}, output);
        std::optional<std::string> address;
        for (int i = 0; i < 400 && !address; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
            address = ListeningAddress(output);
        }
        return "http://" + address.value_or("127.0.0.1:1");
    }

    TempFolder folder_;
    std::string location_;
    int started_ = 0;
};

// The server process killed outright in the middle of a skeld load and started again on the
// same database holds every skeld a client saw accepted (and at most the one in flight more).
TEST_P(ServerProcessTest, EverySkeldAClientSawAcceptedSurvivesSigkill) {
    constexpr int kAccounts = 6;
    constexpr int kRounds = 3;
    struct Account {
        std::string userId, token;
        std::int64_t accepted = 0;  // keys of the skelds the client saw accepted
        int inFlight = 0;           // keys of a skeld that got no answer
    };
    std::vector<Account> accounts(kAccounts);
    std::unique_ptr<ChildProcess> server;
    std::string origin = StartServerProcess(server);
    {
        CurlClient client(origin);
        for (int a = 0; a < kAccounts; ++a) {
            const Posted reply = client.Post(EncodedBody({{"action", "register_account"},
                                                          {"username", "user" + std::to_string(a)},
                                                          {"password", "secret"},
                                                          {"computer", "desk"},
                                                          {"email", "u@example.org"}}));
            ASSERT_TRUE(reply.body.starts_with("100 OK ")) << reply.body;
            const std::string payload = reply.body.substr(7);
            accounts[a].userId = payload.substr(0, payload.find(' '));
            accounts[a].token = payload.substr(payload.find(' ') + 1);
        }
    }

    int acceptedSkelds = 0;
    for (int r = 0; r < kRounds; ++r) {
        std::atomic<int> accepted = 0;
        std::atomic<int> stopped = 0;  // clients that met a refusal or no answer
        {
            std::vector<std::jthread> threads;
            for (Account& account : accounts) {
                threads.emplace_back([&] {
                    CurlClient client(origin);
                    for (int keys = 1;; ++keys) {
                        const auto token = AcceptedToken(client.Post(
                            SkeldBody(account.userId, "desk", account.token, keys, 1, "0.000")));
                        if (!token) {
                            account.inFlight = keys;
                            ++stopped;
                            return;
                        }
                        account.token = *token;
                        account.accepted += keys;
                        ++accepted;
                    }
                });
            }
            while (accepted < 10 * (r + 1) && stopped == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            kill(server->Pid(), SIGKILL);
            server->WaitForExit(std::chrono::seconds(30));
        }
        ASSERT_GE(accepted, 10 * (r + 1)) << "the server refused skelds before it was killed";
        acceptedSkelds += accepted;
        origin = StartServerProcess(server);

        CurlClient client(origin);
        for (int a = 0; a < kAccounts; ++a) {
            Account& account = accounts[a];
            const Posted info = client.Post(EncodedBody({{"action", "accountinfo"},
                                                         {"username", "user" + std::to_string(a)},
                                                         {"password", "secret"},
                                                         {"computer", "desk"}}));
            ASSERT_TRUE(info.body.starts_with("100 AC OK ")) << info.body;
            const std::string payload = info.body.substr(10);
            const std::int64_t total = std::stoll(payload.substr(payload.find('\t') + 1));
            EXPECT_TRUE(total == account.accepted || total == account.accepted + account.inFlight)
                << "round " << r << ", account " << a << ": server " << total
                << ", accepted by the client " << account.accepted;
            // The server's word wins where the client saw no answer: the skeld in flight counted
            // and its token is the one the server expects.
            if (total != account.accepted) {
                account.accepted = total;
                const auto fields = std::string(payload);
                account.token = fields.substr(fields.rfind('\t') + 1);
            }
        }
    }
    server->Stop();
    if (GetParam() == Engine::Sqlite) {
        EXPECT_EQ(IntegrityCheck(location_), "ok");
    }
    std::cout << "[ figures  ] " << EngineName({GetParam(), 0}) << ": " << kRounds
              << " SIGKILLs during a skeld load of " << kAccounts << " clients; " << acceptedSkelds
              << " accepted skelds all held" << std::endl;
}

// Another process that looks into the database (a backup, the sqlite3 shell, a report) and
// closes it again must neither hide nor take away what the server commits afterwards, even
// when the server is then killed outright.
TEST_P(ServerProcessTest, AnotherProcessSeesEachCommittedSkeldAndItsLookDoesNotLoseLaterOnes) {
    std::unique_ptr<ChildProcess> server;
    CurlClient client(StartServerProcess(server));
    const Posted registered = client.Post(EncodedBody({{"action", "register_account"},
                                                       {"username", "looked-at"},
                                                       {"password", "secret"},
                                                       {"computer", "desk"},
                                                       {"email", "u@example.org"}}));
    ASSERT_TRUE(registered.body.starts_with("100 OK ")) << registered.body;
    const std::string payload = registered.body.substr(7);
    const std::string userId = payload.substr(0, payload.find(' '));
    std::string token = payload.substr(payload.find(' ') + 1);
    const auto totalKeys = [&] {
        AccountDatabase look;
        std::string error;
        EXPECT_TRUE(look.Open(location_, error)) << error;
        return look.FindAccountByName("looked-at").value.totalKeys;
    };

    for (const int keys : {7, 5}) {
        const auto accepted =
            AcceptedToken(client.Post(SkeldBody(userId, "desk", token, keys, 1, "0.000")));
        ASSERT_TRUE(accepted);
        token = *accepted;
    }
    EXPECT_EQ(totalKeys(), 12);
    const auto accepted =
        AcceptedToken(client.Post(SkeldBody(userId, "desk", token, 30, 1, "0.000")));
    ASSERT_TRUE(accepted);
    EXPECT_EQ(totalKeys(), 42);

    kill(server->Pid(), SIGKILL);
    server->WaitForExit(std::chrono::seconds(30));
    EXPECT_EQ(totalKeys(), 42);
}

INSTANTIATE_FOR_EVERY_ENGINE(ServerProcessTest);

// Two server processes on one database, as behind a load balancer that sends a client's
// repeated request to the other one: each skeld goes to both at once with the same token.
// Exactly one of them counts it, and every account's totals are exact.
class SharedDatabaseTest : public ServerProcessTest {};

TEST_P(SharedDatabaseTest, TwoServerProcessesCountEachSkeldExactlyOnce) {
    std::array<std::unique_ptr<ChildProcess>, 2> servers;
    const std::array<std::string, 2> origins = {StartServerProcess(servers[0]),
                                                StartServerProcess(servers[1])};
    constexpr int kAccounts = 6;
    constexpr int kRounds = 12;
    struct Account {
        std::string name, userId, token;
        std::int64_t accepted = 0;
        std::string problem;
    };
    std::vector<Account> accounts(kAccounts);
    for (int a = 0; a < kAccounts; ++a) {
        Account& account = accounts[a];
        account.name = "user" + std::to_string(a);
        const Posted reply = CurlClient(origins[a % 2])
                                 .Post(EncodedBody({{"action", "register_account"},
                                                    {"username", account.name},
                                                    {"password", "secret"},
                                                    {"computer", "desk"},
                                                    {"email", "u@example.org"}}));
        ASSERT_TRUE(reply.body.starts_with("100 OK ")) << reply.body;
        const std::string payload = reply.body.substr(7);
        account.userId = payload.substr(0, payload.find(' '));
        account.token = payload.substr(payload.find(' ') + 1);
    }
    {
        std::vector<std::jthread> clients;
        for (Account& account : accounts) {
            clients.emplace_back([&account, &origins] {
                std::array<CurlClient, 2> connections = {CurlClient(origins[0]),
                                                         CurlClient(origins[1])};
                for (int keys = 1; keys <= kRounds && account.problem.empty(); ++keys) {
                    const std::string body =
                        SkeldBody(account.userId, "desk", account.token, keys, 1, "0.000");
                    std::array<Posted, 2> replies;
                    {
                        std::jthread other([&] { replies[1] = connections[1].Post(body); });
                        replies[0] = connections[0].Post(body);
                    }
                    const auto first = AcceptedToken(replies[0]);
                    const auto second = AcceptedToken(replies[1]);
                    const std::string& loser = first ? replies[1].body : replies[0].body;
                    if (first.has_value() == second.has_value() || loser != "200 WT") {
                        account.problem = "skeld " + std::to_string(keys) + ": \"" +
                                          replies[0].body + "\" and \"" + replies[1].body + "\"";
                        return;
                    }
                    account.token = first ? *first : *second;
                    account.accepted += keys;
                }
            });
        }
    }
    for (int a = 0; a < kAccounts; ++a) {
        const Account& account = accounts[a];
        EXPECT_EQ(account.problem, "") << account.name;
        for (const std::string& origin : origins) {
            const Posted info = CurlClient(origin).Post(EncodedBody({{"action", "accountinfo"},
                                                                     {"username", account.name},
                                                                     {"password", "secret"},
                                                                     {"computer", "desk"}}));
            const auto fields = AccountInfoFields(info.body);
            ASSERT_EQ(fields.size(), 7u) << info.body;
            EXPECT_EQ(fields[1], std::to_string(account.accepted)) << account.name;
            EXPECT_EQ(fields[6], account.token) << account.name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, SharedDatabaseTest, ::testing::Values(Engine::Postgres),
                         EngineName);

}  // namespace
