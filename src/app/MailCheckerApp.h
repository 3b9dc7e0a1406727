// The program: a dial-up tray program that checks POP3 mailboxes. All state
// lives in the one static instance, theApp.
#pragma once
#include "app/DialupTrayApp.h"
#include "checking/LanWatch.h"
#include "checking/Pop3Conversation.h"
#include "checking/StatReply.h"
#include "config/Records.h"

class ProfileText;
struct MailboxCheck;

// Posted to the main window when a probe's conversation has ended; wParam
// is the serial number its probe was given.
const UINT WM_MAILBOX_CHECKED = WM_APP + 101;
// Posted when a round ends to carry out a deletion confirmed during it;
// wParam is the list line.
const UINT WM_CONFIRMED_DELETION = WM_APP + 102;

// lastStatus has a slot for each of the accounts 1..kStatusSlots - 1.
const int kStatusSlots = 16;
// The most accounts registration accepts: each needs its own status slot.
const int kMaxAccounts = kStatusSlots - 1;

// What the report of a probe needs of its account, taken when the probe reads
// it: while its conversation runs, and while boxes are up, the user's work
// reuses workRecord.
struct CheckedAccount {
    int     number;
    WCHAR   userName[sizeof(AccountRecord::userName)];
    bool    launchMailer;
    WCHAR   mailerPath[MAX_PATH];
    unsigned short port;   // of the server field: its boxes name it
    bool    tls;
};

class MailCheckerApp : public DialupTrayApp {
public:
    AccountRecord  workRecord;          // the only account buffer in memory
    // workRecord's account name and password whole (Shift_JIS); its own
    // fields hold as much of them as fits.
    char           workAccount[kLongTextSize];
    char           workPassword[kLongTextSize];
    SettingsRecord settings;
    // 1 until the settings file has been read (or found missing): one held by
    // another program is no first start, and nothing is written to it before.
    BYTE           settingsFileUnread;
    LONG           elapsedSeconds;      // counted by the scheduler since the last round
    LONG           accountDialogResult;
    BYTE           editMode;            // 1 while the account dialog edits a stored record
    BYTE           checking;            // 1 while a check round runs
    char           lastStatus[kStatusSlots][kStatusSlotLength];
    // "新規登録", "編集" or "削除" clicked while a round runs: carried out
    // when it has ended, so that no record moves under a probe.
    WORD           deferredListCommand;
    // A deletion answered Yes while a round ran (the box lets the tray and
    // the timer start one): its list line + 1, carried out at the round's end.
    int            confirmedDeletion;
    // The round under way: the account it is at, the conversation of that
    // account's probe (NULL while none runs) with the serial number that
    // tells its message from an abandoned one's, and what the report needs.
    int            roundAccount;
    MailboxCheck*  runningCheck;
    WPARAM         checkSerial;
    CheckedAccount probedAccount;
    // A dial-up connection came up during the round: its round follows.
    BYTE           roundOwed;
    // LAN mode: the network and the machine's sleep between ticks.
    LanWatch       lan;

    MailCheckerApp()
        : elapsedSeconds(0), editMode(0), checking(0), deferredListCommand(0), confirmedDeletion(0),
          roundAccount(0), runningCheck(NULL), checkSerial(0), roundOwed(0)
    {
    }

    // Settings file. The forms without a text read the file themselves.
    bool readSettingsRecord();
    bool readSettingsRecord(const ProfileText& text);
    // The count in use: never negative, never beyond the last record the
    // file holds. False when the settings value could not be read although
    // accounts are stored.
    bool settleAccountCount(const ProfileText& text, bool settingsRead);
    bool writeSettingsRecord();
    bool readAccountRecord(int accountNumber);
    bool readAccountRecord(const ProfileText& text, int accountNumber);
    bool writeAccountRecord(int accountNumber);

    // Scheduler and check round. A round goes from account to account as
    // each conversation ends; the thread meanwhile takes its messages.
    void onTimer();
    void requestRound();
    void tick();
    void checkRound();
    void probeNextAccount();
    void onMailboxChecked(WPARAM serial);
    // The round's own timer: notices a conversation that has ended even when
    // its message never came.
    void watchRound();
    void endRound();
    // Closes the connection of the conversation under way; nothing more is
    // sent, no box follows.
    void abandonRound();

    // LAN mode: a tick without a dial-up connection, a wake, the settle
    // after the network's return; a failure of the network's that shows no
    // box; the offline icon at the end of a round.
    void lanTick(bool slept);
    void onPowerBroadcast(WPARAM event);
    void onSettleTimer();
    bool holdsBackBox(ProbeOutcome outcome, bool loopbackServer);
    bool showsOffline();

    // POP3 probe, evaluation and report. probeAccount starts the account's
    // conversation, false when it did not (a box said why); reportProbe
    // tells the user how it went and answers 1 when the round is to end.
    bool probeAccount(int accountNumber);
    BYTE reportProbe(ProbeOutcome outcome, Pop3Reply& reply);
    void evaluateStatReply(char* reply, const CheckedAccount& account, BYTE& result);
    void reportNewMail(const CheckedAccount& account, int count, BYTE& result);

    // Ending: "終了", and the session ending (log-off, shut-down)
    void exitProgram(int exitCode);
    void endSession();

    // Main window
    void loadSettings();
    // The settings file into the program and the window: options, interval,
    // count and list, and the boxes about what it holds. False, after a box
    // owned by owner that names the file, when it cannot be read; nothing
    // changes then. True at once when it has been read before.
    bool readSettingsFile(HWND owner);
    void saveSettings();
    bool saveOptions();
    bool isChecked(int controlId);

    // Account list
    void refreshAccountList(const ProfileText& text);
    // Line accountNumber - 1 as workRecord names it, in place of the line
    // there or added.
    void listAccount(int accountNumber);
    void newAccount();
    void editAccount();
    // confirmed: the user has already answered Yes.
    void deleteAccount(int selection, bool confirmed = false);

    // Account dialog
    void initAccountDialog(HWND dialog);
    void chooseMailProgram(HWND dialog);
    bool registerAccount(HWND dialog);
};

extern MailCheckerApp theApp;
