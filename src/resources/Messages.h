// Every text the program shows outside its dialog templates and menu: the
// tray tips and each message box with its caption and style, in one place.
#pragma once
#include <windows.h>

struct BoxText {
    const char* text;
    const char* caption;
    UINT        style;
};

namespace Tip {
extern const char offline[];        // "オフライン"
extern const char online[];         // "オンライン"
extern const char checking[];       // "チェック中"
extern const char mailArrived[];    // "メール受信"
}

namespace Box {
// Start-up and the settings window
extern const BoxText alreadyRunning;
extern const BoxText settingsNotSaved;
extern const BoxText settingsUnreadable;
extern const BoxText pathTooLong;
extern const BoxText accountsBeyondSlots;

// POP3 probe
extern const BoxText winsockStartup;
extern const BoxText serverNotFound;
extern const BoxText socketOpen;
extern const BoxText connectFailed;
extern const BoxText serverTimeout;
extern const BoxText replyTooLong;
extern const BoxText tlsFailed;
extern const BoxText certificateUntrusted;
extern const BoxText certificateWrongName;
extern const BoxText certificateNotTimeValid;
extern const BoxText unsafeCredentials;
extern const BoxText loginRefused;
extern const BoxText loginUnexpected;

// New-mail report: the text is formatted with the user name and the count
extern const char reportCaption[];
extern const char reportText[];
extern const char reportAndLaunchText[];
extern const BoxText launchFailed;

// Account list and account dialog
extern const BoxText noSelection;
extern const BoxText confirmDelete;
extern const BoxText deleted;
extern const BoxText deleteNotSaved;
extern const BoxText inputMissing;
extern const BoxText serverFieldInvalid;
extern const BoxText registered;
extern const BoxText registerNotSaved;
extern const BoxText tooManyAccounts;
}

// Shows a box and answers the button pressed. owner may be NULL.
int showBox(HWND owner, const BoxText& box);
