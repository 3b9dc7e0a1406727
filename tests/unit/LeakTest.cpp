// The program's everyday work, repeated: whatever it holds after a few
// hundred probes and menu openings must not keep growing with their number.
#include "AppFixture.h"
#include "FakePop3Server.h"
#include "Soak.h"
#include "resources/Messages.h"

#include <cstdio>

namespace {

const int kProbesPerHalf = 250;
const int kMenusPerHalf = 50;
// Room for what the platform settles lazily; a leak of one handle or one
// menu per step would pass these many times over.
const DWORD kHandleSlack = 5;
const SIZE_T kMemorySlack = 384 * 1024;

}  // namespace

class Leak : public AppFixture {};

TEST_F(Leak, ProbesAndTrayMenusHoldNothingMoreTheLongerTheyRun)
{
    FakePop3Server server;
    server.on("STAT", pop3Reply("+OK 1 100\r\n"));
    server.keepNoRecords();
    startProgramInProcess(server.address(), true);   // a report box every probe
    // Each conversation runs on a pool thread; measured with one of them
    // still idling, the memory would carry its stack.
    const DWORD threadsAtRest = currentUsage().threads;
    probeRepeatedly(50);
    openTrayMenuRepeatedly(20);

    ResourceUsage settled = usageAtRest(threadsAtRest);
    probeRepeatedly(kProbesPerHalf);
    openTrayMenuRepeatedly(kMenusPerHalf);
    ResourceUsage half = usageAtRest(threadsAtRest);
    probeRepeatedly(kProbesPerHalf);
    openTrayMenuRepeatedly(kMenusPerHalf);
    ResourceUsage full = usageAtRest(threadsAtRest);
    printf("leak check: settled %s\nleak check: half    %s\nleak check: full    %s\n",
           describe(settled).c_str(), describe(half).c_str(), describe(full).c_str());

    int reports = 0;
    std::string others;
    for (const SeenBox& box : boxes.boxes()) {
        if (box.caption == "メールの受信報告")
            ++reports;
        else
            others += box.caption + ": " + box.text + "\n";
    }
    EXPECT_EQ(50 + 2 * kProbesPerHalf, reports) << "every probe reported once";
    EXPECT_EQ("", others) << "no box but the reports";
    EXPECT_EQ(50 + 2 * kProbesPerHalf, server.connections());
    EXPECT_EQ(threadsAtRest, full.threads) << "every conversation's thread ended";
    EXPECT_LE(full.handles, half.handles + kHandleSlack);
    EXPECT_LE(half.handles, settled.handles + kHandleSlack);
    EXPECT_LE(full.privateBytes, half.privateBytes + kMemorySlack);
    EXPECT_LE(full.userObjects, half.userObjects + kHandleSlack);
    EXPECT_LE(full.gdiObjects, half.gdiObjects + kHandleSlack);
}
