// Answers the message boxes a test provokes on its own thread, and records
// what each one showed: caption, text, buttons, icon, owner and whether it
// stays on top, as far as the box's window tells.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

enum class BoxIcon { none, error, warning, information, question };

// The system icons a message box can show, and the static control holding it.
struct SystemIcon {
    LPCSTR  id;
    BoxIcon icon;
};
extern const SystemIcon kSystemIcons[4];
const int kBoxIconId = 0x0440;

struct SeenBox {
    std::string caption;     // ANSI (code page 932)
    std::string text;
    HWND        owner = NULL;
    bool        topmost = false;
    bool        hasYesNo = false;
    int         defaultButton = 0;
    BoxIcon     icon = BoxIcon::none;
    int         width = 0;   // pixels, as the box sized itself to its text
    int         answer = 0;  // the button the responder pressed
};

class BoxResponder {
public:
    BoxResponder();
    ~BoxResponder();

    // Answers for the next boxes, in order. Once they are used up, OK boxes
    // get IDOK and Yes/No boxes IDNO.
    void queueAnswers(std::initializer_list<int> buttons);

    // Runs while a box is on screen, before it is answered. It may only post
    // messages: the box's own loop delivers them before the answer.
    void whileShown(std::function<void(const SeenBox&)> action);

    const std::vector<SeenBox>& boxes() const { return boxes_; }
    int count() const { return static_cast<int>(boxes_.size()); }
    // The captions in order, joined with " | ", for readable assertions.
    std::string captions() const;

private:
    static LRESULT CALLBACK onCbt(int code, WPARAM wParam, LPARAM lParam);
    void onBoxActivated(HWND box);

    HHOOK hook_;
    std::deque<int> answers_;
    std::vector<HWND> answered_;
    std::vector<SeenBox> boxes_;
    std::function<void(const SeenBox&)> whileShown_;
};

// Reads what a box window shows; usable on boxes of other processes too.
bool isMessageBox(HWND window);
SeenBox describeBox(HWND box);

// The style each message box of this thread was asked for, in the order they
// came up. Wine shows a box asked for MB_TOPMOST as an ordinary window, so
// SeenBox::topmost cannot tell under Wine; this can.
class BoxStyleRecorder {
public:
    BoxStyleRecorder();
    ~BoxStyleRecorder();
    const std::vector<UINT>& styles() const { return styles_; }

private:
    static LRESULT CALLBACK onCallWndProc(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_;
    std::vector<UINT> styles_;
};
