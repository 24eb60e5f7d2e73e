#include <curl/curl.h>
#include <gtest/gtest.h>

// libcurl's process-wide start-up and shut-down, once around all tests, as the programs do.
namespace {

class CurlGlobal final : public testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(curl_global_init(CURL_GLOBAL_DEFAULT), CURLE_OK); }
    void TearDown() override { curl_global_cleanup(); }
};

[[maybe_unused]] testing::Environment* const curlGlobal =
    testing::AddGlobalTestEnvironment(new CurlGlobal);

}  // namespace
