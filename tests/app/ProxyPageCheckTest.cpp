#include "app/ProxyPageCheck.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ProxyPageCheckTest, AUsedProxyNeedsAHostAndAPortFrom1To65535) {
    using Field = ProxyPageCheck::Field;
    const struct {
        std::int32_t Use;
        std::string Host;
        std::string Port;
        const char* Message;  // nullptr: the page may be saved
        Field Where;
    } cases[] = {
        {1, "proxy.example", "3128", nullptr, Field::Port},
        {1, "proxy.example", " 1 ", nullptr, Field::Port},
        {1, "proxy.example", "65535", nullptr, Field::Port},
        {1, "proxy.example", "0", ProxyPageCheck::PortRangeMessage, Field::Port},
        {1, "proxy.example", "65536", ProxyPageCheck::PortRangeMessage, Field::Port},
        {1, "proxy.example", "4294967295", ProxyPageCheck::PortRangeMessage, Field::Port},
        {1, "proxy.example", "4294967296", ProxyPageCheck::PortMessage, Field::Port},
        {1, "proxy.example", "", ProxyPageCheck::PortMessage, Field::Port},
        {1, "proxy.example", "80x", ProxyPageCheck::PortMessage, Field::Port},
        {1, "proxy.example", "-80", ProxyPageCheck::PortMessage, Field::Port},
        {1, "", "3128", ProxyPageCheck::HostMessage, Field::Host},
        {1, "  ", "0", ProxyPageCheck::HostMessage, Field::Host},
        // Unused, the fields are kept as they are: the defaults are an empty host and port 0.
        {0, "", "0", nullptr, Field::Port},
        {0, "proxy.example", "80x", nullptr, Field::Port},
    };
    for (const auto& c : cases) {
        const auto refusal = ProxyPageCheck::Refuse(c.Use, c.Host, c.Port);
        const std::string label = std::to_string(c.Use) + " '" + c.Host + "' '" + c.Port + "'";
        if (c.Message == nullptr) {
            EXPECT_FALSE(refusal) << label;
            continue;
        }
        ASSERT_TRUE(refusal) << label;
        EXPECT_EQ(refusal->Message, c.Message) << label;
        EXPECT_EQ(refusal->Where, c.Where) << label;
    }
}

}  // namespace
