#include "checking/pop3/ServerAddress.h"

#include <gtest/gtest.h>

namespace {

TEST(ServerAddress, HostAloneOrWithAPort)
{
    const struct {
        const char* field;
        const char* host;
        unsigned short port;
        bool tls;
    } cases[] = {
        {"pop.example.com", "pop.example.com", 110, false},
        {"pop.example.com:995", "pop.example.com", 995, true},
        {"pop.example.com:110", "pop.example.com", 110, false},
        {"127.0.0.5:1110", "127.0.0.5", 1110, false},
        {"mail:00995", "mail", 995, true},
        {"mail:65535", "mail", 65535, false},
        {"", "", 110, false},
        // Blanks a paste brought along around the field.
        {" pop.example.com\t", "pop.example.com", 110, false},
        {"\t mail:995  ", "mail", 995, true},
    };
    for (const auto& c : cases) {
        ServerAddress address;
        ASSERT_TRUE(parseServerAddress(c.field, address)) << c.field;
        EXPECT_STREQ(c.host, address.host) << c.field;
        EXPECT_EQ(c.port, address.port) << c.field;
        EXPECT_EQ(c.tls, address.tls) << c.field;
    }
}

TEST(ServerAddress, APortThatIsNoNumberFromOneTo65535IsRefused)
{
    for (const char* field : {"mail:", "mail:0", "mail:65536", "mail:99999999999999999999", "mail:-1",
                              "mail:+995", "mail: 995", "mail:99 5", "mail:9x5", ":995", "mail:995:1",
                              "[::1]:995"}) {
        ServerAddress address;
        EXPECT_FALSE(parseServerAddress(field, address)) << field;
    }
}

}  // namespace
