// Every text the program shows outside its dialog templates and menu: the
// tray tips and each message box with its caption and style, in one place.
#pragma once
#include <windows.h>

struct BoxText {
    const wchar_t* text;
    const wchar_t* caption;
    UINT        style;
};

namespace Tip {
extern const wchar_t offline[];        // "オフライン"
extern const wchar_t online[];         // "オンライン"
extern const wchar_t checking[];       // "チェック中"
extern const wchar_t mailArrived[];    // "メール受信"
}

namespace Box {
// Start-up and the settings window
extern const BoxText alreadyRunning;
extern const BoxText settingsNotSaved;
extern const BoxText settingsUnreadable;
extern const BoxText pathTooLong;
extern const BoxText accountsBeyondSlots;
// Formatted with the settings file's name and its copy's (and the name the
// damaged file was kept as)
extern const BoxText settingsRestored;
extern const BoxText damagedSettingsRestored;
// A copy that is not whole, kept aside: the same three names
extern const BoxText copyNotRestored;
extern const BoxText damagedCopyNotRestored;
// Formatted with the settings file's name
extern const BoxText settingsFileUnreadable;

// POP3 probe
extern const BoxText winsockStartup;
extern const BoxText serverNotFound;
extern const BoxText lookupTimeout;
extern const BoxText socketOpen;
extern const BoxText connectFailed;      // formatted with the port
extern const wchar_t useTlsPort[];       // a line added where the port is not 995
extern const BoxText serverTimeout;
extern const BoxText replyTooLong;
extern const BoxText tlsFailed;
extern const BoxText certificateUntrusted;
extern const BoxText certificateWrongName;
extern const BoxText certificateNotTimeValid;
extern const BoxText connectionClosed;
extern const BoxText unsafeCredentials;
extern const BoxText loginRefused;
extern const BoxText loginUnexpected;
// A refusal's box is loginRefused's caption and style with lines of these,
// the last one the server's words.
extern const wchar_t greetingRefused[];
extern const wchar_t userRefused[];
extern const wchar_t loginRefusedInPlain[];
extern const wchar_t encryptionRequired[];
extern const wchar_t statRefused[];
extern const wchar_t mailboxInUse[];
extern const wchar_t loginTooSoon[];
extern const wchar_t serverBusy[];
extern const wchar_t checkedNextRound[];
extern const wchar_t serverWords[];     // "サーバの応答：", then the words
extern const wchar_t wordsCut[];        // after words that were cut

// New-mail report: the text is formatted with the user name and the count
extern const wchar_t reportCaption[];
extern const wchar_t reportText[];
extern const wchar_t reportAndLaunchText[];
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
// Formatted with the field's name (and for the length, its limit in
// single-byte and double-byte characters)
extern const BoxText fieldNotShiftJis;
extern const BoxText fieldTooLong;
extern const wchar_t userNameField[];
extern const wchar_t accountField[];
extern const wchar_t passwordField[];
extern const wchar_t serverField[];
extern const wchar_t mailerField[];
}
