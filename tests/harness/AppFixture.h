// In-process tests of the program: builds its windows in the test process as
// start-up does, minus the single-instance claim and the message loop, on a
// settings file of this test process's own.
#pragma once
#include "BoxResponder.h"
#include "TestSettings.h"
#include "app/MailCheckerApp.h"

#include <gtest/gtest.h>

class AppFixture : public ::testing::Test {
public:
    // Delivers what is waiting in this thread's queue (posted messages,
    // timers are not waited for); dispatchNext the first of it, if any.
    static void pumpMessages();
    static bool dispatchNext();

protected:
    void SetUp() override;
    void TearDown() override;

    // Start-up as the program runs it, but for the single-instance claim and
    // the message loop: the settings file found, the main window, the tray
    // icon, the timer, the settings loaded. Write the settings file first.
    void startProgram();

    // The tray icon as the shell was last told (see recordShellNotifications):
    // resource number and tip.
    int trayIconId() const;
    std::string trayTip() const;

    void check(int boxId, bool checked);
    bool isChecked(int boxId) const;
    std::vector<std::string> listLines() const;

    std::string iniPath;
    BoxResponder boxes;
};

// Brings the one application object back to its start state, so that tests
// run one after another in one process do not see each other's state.
void resetApplicationObject();

// Takes this thread's messages until the round under way has ended, as the
// message loop would (a conversation's end comes as a message); false when it
// had not ended within the time.
bool finishRound(DWORD timeoutMs = 150000);
// One round over the stored accounts, from its start to its end.
void runRound();
