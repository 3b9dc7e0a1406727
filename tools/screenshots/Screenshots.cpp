// Takes the README's pictures of the real program under Wine: a copy of
// Quillora.exe with two sample accounts, driven like a user would, each
// window captured from the screen into a BMP (script/screenshots turns them
// into the PNGs in docs/).
#include "AppDriver.h"
#include "FakePop3Server.h"
#include "TestSettings.h"
#include "app/TrayApp.h"
#include "resource.h"

#include <cstdio>
#include <string>

using namespace testsettings;

namespace {

// Captures a rectangle of the screen into a 24-bit BMP file.
bool captureRect(const RECT& area, const std::string& path)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const DWORD rowBytes = ((width * 3 + 3) / 4) * 4;
    std::string pixels(rowBytes * height, '\0');
    GetDIBits(memory, bitmap, 0, height, &pixels[0], reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = fopen(path.c_str(), "wb");
    bool written = out && fwrite(&file, sizeof file, 1, out) == 1 && fwrite(&info, sizeof info, 1, out) == 1 &&
                   fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    if (out)
        fclose(out);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return written;
}

bool captureWindow(HWND window, const std::string& path)
{
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    Sleep(300);  // let the desktop finish drawing before it is read
    RECT area;
    GetWindowRect(window, &area);
    InflateRect(&area, 8, 8);
    // Wine copies nothing of a rectangle that reaches beyond the screen.
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&area, &area, &screen);
    return captureRect(area, path);
}

HWND waitForClass(const char* className, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    HWND found = NULL;
    while (!(found = FindWindowA(className, NULL)) || !IsWindowVisible(found)) {
        if (GetTickCount() - start > timeoutMs)
            return NULL;
        Sleep(20);
    }
    return found;
}

// Two accounts on the sample POP3 server, which has three messages waiting
// from its second conversation on; the second account offers a mail program.
void prepareSampleSettings(const AppDriver& app, const char* server)
{
    SettingsRecord settings = makeSettings(2, 15);
    settings.reportPerUser = 1;
    settings.lanMode = 1;
    writeSettings(app.iniPath(), settings);
    writeAccount(app.iniPath(), 1, makeAccount("山田 太郎", "taro", "secret", server));
    writeAccount(app.iniPath(), 2, makeAccount("仕事用", "t.yamada", "secret", server,
                                               "C:\\Program Files\\Mailer\\mailer.exe", true));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string out = argv[1];
    FakePop3Server server;
    server.on("STAT", {pop3Reply("+OK 0 0\r\n"), pop3Reply("+OK 0 0\r\n"), pop3Reply("+OK 3 4096\r\n")});
    AppDriver app;
    prepareSampleSettings(app, server.address());
    // The first round, at start-up in LAN mode, finds the mailboxes empty.
    if (!app.start()) {
        fprintf(stderr, "screenshots: the program did not start as expected\n");
        return 1;
    }
    bool ok = true;

    app.command(IDM_SHOW_WINDOW);
    app.sync();
    app.selectLine(1);
    ok &= captureWindow(app.window(), out + "\\settings-window.bmp");

    app.command(IDC_EDIT_ACCOUNT);
    HWND dialog = app.waitForWindow("ユーザデータ登録画面");
    ok &= dialog && captureWindow(dialog, out + "\\account-dialog.bmp");
    if (dialog)
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    app.windowGone(dialog);
    app.post(WM_CLOSE);
    app.sync();

    // The tray menu opens to the left of the cursor, over the taskbar's tray.
    SetCursorPos(1000, 752);
    app.post(WM_TRAYNOTIFY, 1, WM_RBUTTONUP);
    HWND menu = waitForClass("#32768", 10000);
    if (menu) {
        RECT area;
        GetWindowRect(menu, &area);
        area.left -= 16, area.top -= 16, area.right = 1024, area.bottom = 768;
        Sleep(300);
        ok &= captureRect(area, out + "\\tray-menu.bmp");
        PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    } else {
        ok = false;
    }
    app.sync();

    // "巡回" from the menu: this time three messages are waiting.
    app.command(IDM_CHECK_NOW);
    SeenBox report;
    HWND box = app.waitForWindow("メールの受信報告");
    ok &= box && captureWindow(box, out + "\\report.bmp");
    ok &= app.answerBox(IDOK, report) && report.caption == "メールの受信報告";
    app.answerBox(IDNO);  // the second account's report, which offers the mail program

    app.exitProgram();
    printf("screenshots: %s\n", ok ? "written" : "failed");
    return ok ? 0 : 1;
}
