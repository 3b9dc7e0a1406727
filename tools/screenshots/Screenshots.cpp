// Takes the README's pictures of the real program under Wine: a copy of
// Quillora.exe with two sample accounts, driven like a user would, each
// window captured from the screen into a BMP (script/screenshots turns them
// into the PNGs in docs/).
#include "AppDriver.h"
#include "TestSettings.h"
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
    return captureRect(area, path);
}

void prepareSampleSettings(const AppDriver& app)
{
    SettingsRecord settings = makeSettings(2, 15);
    settings.reportOnTop = 1;
    settings.reportPerUser = 1;
    writeSettings(app.iniPath(), settings);
    writeAccount(app.iniPath(), 1, makeAccount("山田 太郎", "taro", "secret", "pop.example.jp"));
    writeAccount(app.iniPath(), 2, makeAccount("仕事用", "t.yamada", "secret", "mail.example.co.jp",
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
    AppDriver app;
    prepareSampleSettings(app);
    if (!app.start()) {
        fprintf(stderr, "screenshots: the program did not start\n");
        return 1;
    }

    app.command(IDM_SHOW_WINDOW);
    app.sync();
    app.selectLine(0);
    bool ok = captureWindow(app.window(), out + "\\settings-window.bmp");

    app.post(WM_CLOSE);
    app.sync();
    app.exitProgram();
    printf("screenshots: %s\n", ok ? "written" : "failed");
    return ok ? 0 : 1;
}
