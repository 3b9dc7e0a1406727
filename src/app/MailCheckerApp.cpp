// The application object: start-up, the connection monitor's tick and LAN
// mode's, the requests for a round, and the program's end.
#include "app/MailCheckerApp.h"
#include "checking/net/NetworkPresence.h"
#include "resources/ShowBox.h"
#include "resources/resource.h"
#include "ui/MainWindow.h"
#include "ui/MainWindowSettings.h"

#include <commctrl.h>

// The one application object. Every window procedure, timer and command
// works on it; it is built before WinMain runs and torn down after it returns.
MailCheckerApp theApp;

namespace {

void setTrayIconOfTheApp(int iconId, const wchar_t* tip)
{
    theApp.setTrayIcon(iconId, tip);
}

bool offlineOfTheApp()
{
    return theApp.offline() == 1;
}

}  // namespace

int MailCheckerApp::run(HINSTANCE instance)
{
    if (!findSettingsFile())
        return 0;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    if (!claimSingleInstance(L"Quillora") || !openMainWindow(instance))
        return 0;

    // The round goes on in the message loop.
    if (lanModeShown(mainWindow))
        round.start();
    // Let the connection monitor look once before the loop starts.
    SendMessageW(mainWindow, WM_TIMER, 0, 0);

    MSG msg = {};
    runMessageLoop(&msg);
    // "終了" and the session's end abandon the probe under way before they
    // end the loop; a quit message from anywhere else would not.
    round.abandon();
    return static_cast<int>(msg.wParam);
}

bool MailCheckerApp::findSettingsFile()
{
    // Without its own settings file the program would read and write another
    // one, or none at all, without a word.
    wchar_t path[MAX_PATH];
    if (!settingsFilePath(path)) {
        showBox(NULL, Box::pathTooLong);
        return false;
    }
    store.useFile(path);
    return true;
}

bool MailCheckerApp::openMainWindow(HINSTANCE instance)
{
    if (!createMainWindow(instance, IDD_MAIN, IDI_ONLINE, mainDialogProc))
        return false;
    round.setHost(RoundHost{mainWindow, setTrayIconOfTheApp, offlineOfTheApp});
    addTrayIcon(IDI_OFFLINE, Tip::offline);
    scheduler.startTimer(mainWindow);
    SetWindowPos(mainWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(mainWindow, SW_HIDE);
    loadSettings();
    return true;
}

void MailCheckerApp::onTimer()
{
    const bool slept = scheduler.sleptBefore(lan.now());
    if (isDialupConnected()) {
        // A connection that has just come up is handled like a click on the
        // icon: a round at once, and no tick on this message. During a round
        // (start-up's tick comes during the LAN round) its round follows.
        if (!goOnline()) {
            if (scheduler.tick(mainWindow))
                round.start();
        } else if (round.checking()) {
            round.oweRound();
        } else {
            SendMessageW(mainWindow, WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
        }
        return;
    }
    if (goOffline()) {
        setTrayIcon(IDI_OFFLINE, Tip::offline);
        return;
    }
    if (lanModeShown(mainWindow))
        lanTick(slept);
}

void MailCheckerApp::requestRound()
{
    // Until the settings file is read, the accounts and LAN mode are not known.
    if (!readSettingsFile(NULL))
        return;
    if (isDialupConnected() || lanModeShown(mainWindow))
        round.start();
}

// LAN mode on a laptop: quiet while the network is gone, a round as soon as
// it is back and after waking, and one more try for what failed on a
// network that had only just come.

// A tick in LAN mode without a dial-up connection.
void MailCheckerApp::lanTick(bool slept)
{
    const uint64_t now = lan.now();
    if (slept)
        lan.woke(now);
    const bool present = machineHasNetwork();
    // During a round the icon says "チェック中"; the round's end looks again.
    if (lan.see(present) == LanWatch::Change::lost && !round.checking())
        setTrayIcon(IDI_OFFLINE, Tip::offline);
    if (present && lan.roundOwed())
        SetTimer(mainWindow, kSettleTimer, LanWatch::kSettleMs, NULL);
    if (present && lan.retryDue(now) && !round.checking()) {
        lan.startRetry();
        round.start();
        return;
    }
    if (scheduler.tick(mainWindow))
        round.start();
}

// Windows tells a wake twice, the second time only when a user is there.
void MailCheckerApp::onPowerBroadcast(WPARAM event)
{
    if (event != PBT_APMRESUMEAUTOMATIC && event != PBT_APMRESUMESUSPEND)
        return;
    if (lanModeShown(mainWindow) && lan.woke(lan.now()) && machineHasNetwork())
        SetTimer(mainWindow, kSettleTimer, LanWatch::kSettleMs, NULL);
}

void MailCheckerApp::onSettleTimer()
{
    KillTimer(mainWindow, kSettleTimer);
    // A round under way takes the owed one up when it ends; the settings
    // window, when it is closed; a network gone again, when it is back.
    if (!lan.roundOwed() || round.checking() || IsWindowVisible(mainWindow) || !lanModeShown(mainWindow) ||
        !machineHasNetwork())
        return;
    round.start();
}

void MailCheckerApp::exitProgram(int exitCode)
{
    // At once: the program may take a moment to end, the server must not
    // hear another word meanwhile.
    round.abandon();
    PostQuitMessage(exitCode);
}

// Windows ends the process soon after this returns: everything is done here,
// and nothing asks the user anything.
void MailCheckerApp::endSession()
{
    round.abandon();
    // Options changed in the open settings window are saved, as closing it
    // would save them.
    if (IsWindowVisible(mainWindow) && store.fileRead())
        saveOptions();
    removeTrayIcon();
    PostQuitMessage(0);
}
