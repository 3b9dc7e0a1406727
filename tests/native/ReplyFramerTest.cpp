#include "checking/pop3/ReplyFramer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Read {
    LineState state;
    std::string reply;
};

// Replies read from a stream that arrives in receives of the given sizes,
// as the connection reads them: a receive only when the kept bytes hold no
// whole line.
std::vector<Read> readAll(const std::string& stream, std::vector<size_t> receives, int replies,
                          size_t* receivesUsed = nullptr)
{
    ReplyFramer framer;
    std::vector<Read> read;
    size_t at = 0, used = 0;
    for (int i = 0; i < replies; ++i) {
        Pop3Reply reply;
        LineState state = framer.begin(reply);
        while (state == LineState::incomplete && at < stream.size() && used < receives.size()) {
            size_t length = std::min(receives[used++], stream.size() - at);
            state = framer.add(reply, stream.data() + at, length);
            at += length;
        }
        read.push_back({state, reply.text});
    }
    if (receivesUsed)
        *receivesUsed = used;
    return read;
}

const LineState complete = LineState::complete;

TEST(ReplyFramer, AReplyThatArrivesWholeTakesOneReceive)
{
    size_t used = 0;
    auto read = readAll("+OK 3 512\r\n", {64}, 1, &used);
    EXPECT_EQ(complete, read[0].state);
    EXPECT_EQ("+OK 3 512\r\n", read[0].reply);
    EXPECT_EQ(1u, used);
}

TEST(ReplyFramer, LongLinesAndPiecesAreReadToTheirEnd)
{
    std::string greeting = "+OK " + std::string(300, 'g') + "\r\n";   // 306 bytes
    auto read = readAll(greeting + "+OK user\r\n", std::vector<size_t>(6, 64), 2);
    EXPECT_EQ(complete, read[0].state);
    EXPECT_EQ(greeting.substr(0, 255), read[0].reply) << "the first 255 bytes are handed on";
    EXPECT_EQ("+OK user\r\n", read[1].reply) << "the rest of the long line is dropped";

    read = readAll("+OK 12 512\r\n-ERR x\r\n", {5, 1, 64}, 2);
    EXPECT_EQ("+OK 12 512\r\n", read[0].reply);
    EXPECT_EQ("-ERR x\r\n", read[1].reply);
}

TEST(ReplyFramer, BytesAfterALineEndWaitForTheNextReply)
{
    size_t used = 0;
    auto read = readAll("+OK ready\r\n+OK user\n+OK pass\r\n", {64}, 3, &used);
    EXPECT_EQ("+OK ready\r\n", read[0].reply);
    EXPECT_EQ("+OK user\n", read[1].reply) << "a bare LF ends a line too";
    EXPECT_EQ("+OK pass\r\n", read[2].reply);
    EXPECT_EQ(1u, used);
    for (const Read& r : read)
        EXPECT_EQ(complete, r.state);
}

TEST(ReplyFramer, ALineLongerThanAnyReplyIsRefusedAt512Bytes)
{
    std::string longest = std::string(510, 'a') + "\r\n";
    auto read = readAll(longest + "+OK\r\n", std::vector<size_t>(20, 64), 2);
    EXPECT_EQ(complete, read[0].state);
    EXPECT_EQ("+OK\r\n", read[1].reply);

    size_t used = 0;
    read = readAll(std::string(1 << 20, 'x'), std::vector<size_t>(100, 64), 1, &used);
    EXPECT_EQ(LineState::tooLong, read[0].state);
    EXPECT_EQ(8u, used) << "a flood is given up after 512 bytes";
}

TEST(ReplyFramer, AStreamThatEndsMidLineLeavesWhatArrived)
{
    auto read = readAll("-ERR no", {64}, 1);
    EXPECT_EQ(LineState::incomplete, read[0].state);
    EXPECT_EQ("-ERR no", read[0].reply);
}

}  // namespace
