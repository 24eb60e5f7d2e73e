#pragma once

#include <gtest/gtest.h>

#include <string>

#include "PostgresCluster.h"
#include "ServerFixture.h"
#include "support/TempFolder.h"

// The database engines a test runs against, each with a fresh database.
enum class Engine { Sqlite, Postgres };

inline std::string EngineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::Sqlite ? "Sqlite" : "Postgres";
}

// Sets `location` to a new database of `engine`: a file in `folder`, or a database of the test
// program's PostgreSQL cluster. Skips the test when PostgreSQL is not installed; fails it when
// it is but cannot be started. Callers check IsSkipped() and HasFatalFailure() after it.
inline void FreshDatabase(Engine engine, const TempFolder& folder, std::string& location) {
    if (engine == Engine::Sqlite) {
        location = (folder / "stats.sqlite").string();
        return;
    }
    if (PostgresCluster::Binaries().empty()) {
        GTEST_SKIP() << "PostgreSQL is not installed (no initdb and postgres in "
                        "/usr/lib/postgresql/*/bin); scripts/install-deps installs it";
    }
    std::string error;
    PostgresCluster* cluster = PostgresCluster::Shared(error);
    ASSERT_NE(cluster, nullptr) << error;
    const auto url = cluster->NewDatabase(error);
    ASSERT_TRUE(url) << error;
    location = *url;
}

// A server fixture run once with each engine.
class EngineServerFixture : public ServerFixture, public ::testing::WithParamInterface<Engine> {
protected:
    void SetUp() override {
        FreshDatabase(GetParam(), folder_, location_);
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        ServerFixture::SetUp();
    }
    std::string DatabaseLocation() const override { return location_; }

    std::string location_;
};

#define INSTANTIATE_FOR_EVERY_ENGINE(Suite)                                                       \
    INSTANTIATE_TEST_SUITE_P(Engines, Suite, ::testing::Values(Engine::Sqlite, Engine::Postgres), \
                             EngineName)
