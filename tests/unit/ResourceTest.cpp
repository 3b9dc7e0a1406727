// The dialogs, menu, icons and version read back out of the built
// Quillora.exe, compared with the layouts the program and its users rely on.
#include "TestText.h"
#include "resources/resource.h"

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Control {
    int id;
    std::wstring className;
    std::wstring text;
    DWORD style;
    DWORD exStyle;
};

struct DialogTemplate {
    DWORD style = 0, exStyle = 0;
    std::wstring caption, font;
    WORD pointSize = 0;
    std::vector<Control> controls;
};

class ResourceReader {
public:
    ResourceReader() { module_ = LoadLibraryExA(QUILLORA_EXE, NULL, LOAD_LIBRARY_AS_DATAFILE); }
    ~ResourceReader() { FreeLibrary(module_); }
    HMODULE module() const { return module_; }

    const BYTE* find(LPCSTR type, int id, DWORD* size = nullptr) const
    {
        HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(id), type);
        if (!found)
            return nullptr;
        if (size)
            *size = SizeofResource(module_, found);
        return static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
    }

private:
    HMODULE module_;
};

// Reads a "sz_Or_Ord" field: an ordinal (0xFFFF, n) or a string.
std::wstring readNameOrOrdinal(const WORD*& p)
{
    if (*p == 0xFFFF) {
        WORD ordinal = p[1];
        p += 2;
        const wchar_t* classes[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"};
        if (ordinal >= 0x80 && ordinal <= 0x85)
            return classes[ordinal - 0x80];
        return L"#" + std::to_wstring(ordinal);
    }
    std::wstring text(reinterpret_cast<const wchar_t*>(p));
    p += text.size() + 1;
    return text;
}

const WORD* alignToDword(const WORD* p, const BYTE* base)
{
    size_t offset = reinterpret_cast<const BYTE*>(p) - base;
    return reinterpret_cast<const WORD*>(base + ((offset + 3) & ~size_t(3)));
}

DialogTemplate parseDialogEx(const BYTE* base)
{
    DialogTemplate dialog;
    const WORD* p = reinterpret_cast<const WORD*>(base);
    EXPECT_EQ(1, p[0]) << "DIALOGEX version";
    EXPECT_EQ(0xFFFF, p[1]) << "DIALOGEX signature";
    const DWORD* d = reinterpret_cast<const DWORD*>(p + 2);
    dialog.exStyle = d[1];
    dialog.style = d[2];
    p = reinterpret_cast<const WORD*>(d + 3);
    WORD count = *p++;
    p += 4;   // position and size
    readNameOrOrdinal(p);  // menu
    readNameOrOrdinal(p);  // class
    dialog.caption = reinterpret_cast<const wchar_t*>(p);
    p += dialog.caption.size() + 1;
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = *p;
        p += 3;  // point size, weight, italic + charset
        dialog.font = reinterpret_cast<const wchar_t*>(p);
        p += dialog.font.size() + 1;
    }
    for (WORD i = 0; i < count; ++i) {
        p = alignToDword(p, base);
        const DWORD* item = reinterpret_cast<const DWORD*>(p);
        Control control;
        control.exStyle = item[1];
        control.style = item[2];
        const short* position = reinterpret_cast<const short*>(item + 3);
        control.id = static_cast<int>(*reinterpret_cast<const DWORD*>(position + 4));
        p = reinterpret_cast<const WORD*>(position + 6);
        control.className = readNameOrOrdinal(p);
        control.text = readNameOrOrdinal(p);
        WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        dialog.controls.push_back(control);
    }
    return dialog;
}

// Both dialogs use the same font; the rest is theirs.
void expectHeader(const DialogTemplate& dialog, const wchar_t* caption, DWORD style, DWORD exStyle)
{
    EXPECT_EQ(caption, dialog.caption);
    EXPECT_EQ(L"ＭＳ Ｐゴシック", dialog.font);
    EXPECT_EQ(9, dialog.pointSize);
    EXPECT_EQ(style, dialog.style);
    EXPECT_EQ(exStyle, dialog.exStyle);
}

const DWORD kChildVisible = WS_CHILD | WS_VISIBLE;

void expectControls(const DialogTemplate& dialog, const std::vector<Control>& expected)
{
    ASSERT_EQ(expected.size(), dialog.controls.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Control& want = expected[i];
        const Control& got = dialog.controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(want.id));
        EXPECT_EQ(want.id, static_cast<short>(got.id));
        // Class names compare without regard to case, as the system does.
        EXPECT_EQ(0, _wcsicmp(want.className.c_str(), got.className.c_str())) << got.className.size();
        EXPECT_EQ(want.text, got.text);
        EXPECT_EQ(want.style | kChildVisible, got.style);
        EXPECT_EQ(want.exStyle, got.exStyle);
    }
}

}  // namespace

TEST(Resources, MainWindowTemplate)
{
    ResourceReader exe;
    const BYTE* resource = exe.find(RT_DIALOG, IDD_MAIN);
    ASSERT_NE(nullptr, resource);
    DialogTemplate dialog = parseDialogEx(resource);
    expectHeader(dialog, L"Quillora V2.10",
                 WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_CENTER | DS_SETFONT, 0);

    const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
    const DWORD box = BS_AUTOCHECKBOX | WS_TABSTOP;
    expectControls(dialog, {
        {1000, L"ListBox", L"",
         LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, WS_EX_STATICEDGE},
        {1001, L"Button", L"新規登録", button, 0},
        {1002, L"Button", L"編集", button, 0},
        {1003, L"Button", L"削除", button, 0},
        {1004, L"Button", L"最前列に受信報告", box, 0},
        {1005, L"Button", L"ユーザー毎に報告", box, 0},
        {1007, L"Button", L"LAN環境での使用", box, 0},
        {1008, L"Button", L"未処理メールの報告", box, 0},
        {-1, L"Static", L"巡回間隔：", SS_LEFT | WS_GROUP, 0},
        {1010, L"Edit", L"",
         ES_NUMBER | ES_READONLY | ES_RIGHT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, WS_EX_STATICEDGE},
        {-1, L"Static", L"分", SS_LEFT | WS_GROUP, 0},
        {1009, L"Button", L"ソフト起動での終了", box, 0},
    });
}

TEST(Resources, AccountDialogTemplate)
{
    ResourceReader exe;
    const BYTE* resource = exe.find(RT_DIALOG, IDD_ACCOUNT);
    ASSERT_NE(nullptr, resource);
    DialogTemplate dialog = parseDialogEx(resource);
    expectHeader(dialog, L"ユーザデータ登録画面",
                 WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTERMOUSE | DS_SETFONT, WS_EX_TOOLWINDOW);

    const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
    const DWORD label = SS_RIGHT | WS_GROUP;
    const DWORD edit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    expectControls(dialog, {
        {1011, L"Button", L"登録", button, 0},
        {2, L"Button", L"キャンセル", button, 0},
        {-1, L"Static", L"ユーザ名：", label, 0},
        {-1, L"Static", L"アカウント名：", label, 0},
        {-1, L"Static", L"パスワード：", label, 0},
        {-1, L"Static", L"サーバアドレス：", label, 0},
        {1012, L"Edit", L"", edit, WS_EX_STATICEDGE},
        {1013, L"Edit", L"", edit, WS_EX_STATICEDGE},
        {1014, L"Edit", L"", ES_PASSWORD | edit, WS_EX_STATICEDGE},
        {1015, L"Edit", L"", edit, WS_EX_STATICEDGE},
        // Under the server field, how to choose POP3 over TLS.
        {-1, L"Static", L"SSLのサーバは後に「:995」を付けます", label, 0},
        {-1, L"Button", L"", BS_GROUPBOX, 0},
        {1009, L"Button", L"メールソフト", BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP, 0},
        {1016, L"Edit", L"", ES_READONLY | edit, WS_EX_STATICEDGE},
    });
}

namespace {

INT_PTR CALLBACK doNothing(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

struct Shown {
    HWND window;
    RECT rect;   // in the dialog's client coordinates
    wchar_t className[32];
    wchar_t text[64];
    LONG style;
};

BOOL CALLBACK collect(HWND window, LPARAM param)
{
    auto* controls = reinterpret_cast<std::vector<Shown>*>(param);
    Shown shown = {window, {}, L"", L"", GetWindowLongW(window, GWL_STYLE)};
    GetWindowRect(window, &shown.rect);
    MapWindowPoints(NULL, GetParent(window), reinterpret_cast<POINT*>(&shown.rect), 2);
    GetClassNameW(window, shown.className, 32);
    GetWindowTextW(window, shown.text, 64);
    controls->push_back(shown);
    return TRUE;
}

bool isGroupBox(const Shown& control)
{
    return _wcsicmp(control.className, L"Button") == 0 && (control.style & BS_TYPEMASK) == BS_GROUPBOX;
}

// How wide a control must be for its text: a button as it measures itself
// (text, margins, the check box), a label as wide as its text.
LONG neededWidth(const Shown& control)
{
    if (_wcsicmp(control.className, L"Button") == 0) {
        SIZE ideal = {};
        SendMessageW(control.window, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal));
        return ideal.cx;
    }
    HDC dc = GetDC(control.window);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control.window, WM_GETFONT, 0, 0)));
    SIZE text = {};
    GetTextExtentPoint32W(dc, control.text, lstrlenW(control.text), &text);
    SelectObject(dc, previous);
    ReleaseDC(control.window, dc);
    return text.cx;
}

}  // namespace

// Both dialogs as the platform lays them out in the font they ask for: every
// control inside the window, none over another (but for what a group box
// frames), and no text cut.
TEST(Resources, DialogsShowEveryControlWholeAndApart)
{
    ResourceReader exe;
    for (int id : {IDD_MAIN, IDD_ACCOUNT}) {
        SCOPED_TRACE("dialog " + std::to_string(id));
        const BYTE* resource = exe.find(RT_DIALOG, id);
        ASSERT_NE(nullptr, resource);
        HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(NULL),
                                                 reinterpret_cast<LPCDLGTEMPLATEW>(resource), NULL, doNothing, 0);
        ASSERT_NE(nullptr, dialog);
        RECT client;
        GetClientRect(dialog, &client);
        std::vector<Shown> controls;
        EnumChildWindows(dialog, collect, reinterpret_cast<LPARAM>(&controls));
        ASSERT_FALSE(controls.empty());
        for (size_t i = 0; i < controls.size(); ++i) {
            const Shown& control = controls[i];
            SCOPED_TRACE(std::string("control ") + std::to_string(GetDlgCtrlID(control.window)));
            RECT inside;
            EXPECT_TRUE(IntersectRect(&inside, &control.rect, &client) && EqualRect(&inside, &control.rect));
            if (control.text[0] && !isGroupBox(control)) {
                const LONG needed = neededWidth(control);
                EXPECT_GT(needed, 0) << "measured";
                EXPECT_LE(needed, control.rect.right - control.rect.left) << shiftJis(control.text);
            }
            for (size_t k = i + 1; k < controls.size(); ++k) {
                RECT both;
                if (!isGroupBox(control) && !isGroupBox(controls[k])) {
                    EXPECT_FALSE(IntersectRect(&both, &control.rect, &controls[k].rect))
                        << "with control " << GetDlgCtrlID(controls[k].window);
                }
            }
        }
        DestroyWindow(dialog);
    }
}

TEST(Resources, TrayMenuHasItsFourEntriesInOrder)
{
    ResourceReader exe;
    HMENU menu = LoadMenuW(exe.module(), MAKEINTRESOURCEW(IDR_TRAY_MENU));
    ASSERT_NE(nullptr, menu);
    EXPECT_EQ(1, GetMenuItemCount(menu));
    wchar_t popupName[32] = L"";
    GetMenuStringW(menu, 0, popupName, 32, MF_BYPOSITION);
    EXPECT_STREQ(L"FAKE", popupName);

    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_EQ(4, GetMenuItemCount(popup));
    const struct {
        const wchar_t* text;
        int command;
    } items[] = {
        {L"Quillora\u3000終了", 40003}, {nullptr, 0}, {L"Quillora\u3000表示", 40002}, {L"Quillora\u3000巡回", 40001}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        if (!items[i].text) {
            EXPECT_TRUE(GetMenuState(popup, i, MF_BYPOSITION) & MF_SEPARATOR);
            continue;
        }
        wchar_t text[64] = L"";
        GetMenuStringW(popup, i, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(items[i].text, text);
        EXPECT_EQ(UINT(items[i].command), GetMenuItemID(popup, i));
    }
    // The same texts through the ANSI functions, as the program sees them.
    char ansi[64] = "";
    GetMenuStringA(popup, 0, ansi, sizeof ansi, MF_BYPOSITION);
    EXPECT_STREQ("Quillora\x81\x40\x8f\x49\x97\xb9", ansi);
    DestroyMenu(menu);
}

TEST(Resources, FourTrayIconsOf32By32In16Colours)
{
    ResourceReader exe;
    for (int id : {IDI_OFFLINE, IDI_ONLINE, IDI_CHECKING, IDI_MAIL_ARRIVED}) {
        SCOPED_TRACE("icon " + std::to_string(id));
        const BYTE* group = exe.find(RT_GROUP_ICON, id);
        ASSERT_NE(nullptr, group);
        const WORD* header = reinterpret_cast<const WORD*>(group);
        ASSERT_EQ(1, header[2]) << "one image per icon";
        const BYTE* entry = group + 6;
        EXPECT_EQ(32, entry[0]);
        EXPECT_EQ(32, entry[1]);
        EXPECT_EQ(16, entry[2]) << "colour count";
        EXPECT_EQ(4, *reinterpret_cast<const WORD*>(entry + 6)) << "bits per pixel";
        HICON icon = static_cast<HICON>(LoadImageA(exe.module(), MAKEINTRESOURCEA(id), IMAGE_ICON, 32, 32, 0));
        EXPECT_NE(nullptr, icon);
        DestroyIcon(icon);
    }
}

TEST(Resources, VersionAndManifest)
{
    // Through the version functions: VerQueryValue may write into the block
    // it is given, which only GetFileVersionInfo makes large enough.
    const wchar_t exePath[] = L"" QUILLORA_EXE;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(exePath, &handle);
    ASSERT_NE(0u, size);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(exePath, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(10, 2), fixed->dwFileVersionMS);
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\041103a4\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(L"2.10", text);

    ResourceReader exe;
    const BYTE* manifest = exe.find(RT_MANIFEST, 1, &size);
    ASSERT_NE(nullptr, manifest);
    std::string xml(reinterpret_cast<const char*>(manifest), size);
    EXPECT_NE(std::string::npos, xml.find("asInvoker"));
}
