#include "BoxResponder.h"
#include "TestText.h"

#include <algorithm>
#include <cstring>

namespace {

BoxResponder* activeResponder = nullptr;

// The static control that shows the text of a message box.
const int kBoxTextId = 0xFFFF;


}  // namespace

const SystemIcon kSystemIcons[4] = {
    {IDI_HAND, BoxIcon::error},
    {IDI_EXCLAMATION, BoxIcon::warning},
    {IDI_ASTERISK, BoxIcon::information},
    {IDI_QUESTION, BoxIcon::question},
};

namespace {

BoxIcon iconOf(HWND box)
{
    HICON shown = reinterpret_cast<HICON>(SendDlgItemMessageA(box, kBoxIconId, STM_GETICON, 0, 0));
    if (!shown)
        return BoxIcon::none;
    for (const SystemIcon& candidate : kSystemIcons) {
        if (LoadIconA(NULL, candidate.id) == shown)
            return candidate.icon;
    }
    return BoxIcon::none;
}

}  // namespace

bool isMessageBox(HWND window)
{
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    if (strcmp(className, "#32770") != 0)
        return false;
    // Boxes are dialogs of the system's own, not of a program's module (the
    // program's dialogs carry its instance, the file dialog comdlg32's), and
    // they show their text in a static control with the id 0xFFFF.
    HINSTANCE owner = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    if (owner != NULL && owner != GetModuleHandleA("user32.dll"))
        return false;
    return GetDlgItem(window, kBoxTextId) != NULL;
}

SeenBox describeBox(HWND box)
{
    SeenBox seen;
    seen.caption = windowTextOf(box);
    seen.text = windowTextOf(GetDlgItem(box, kBoxTextId));
    seen.owner = GetWindow(box, GW_OWNER);
    seen.topmost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    seen.hasYesNo = GetDlgItem(box, IDYES) != NULL && GetDlgItem(box, IDNO) != NULL;
    // DM_GETDEFID names IDOK on every box under Wine; the button's style
    // tells which one the box shows as default.
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
        HWND button = GetDlgItem(box, id);
        if (button && (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            seen.defaultButton = id;
    }
    seen.icon = iconOf(box);
    RECT frame = {};
    GetWindowRect(box, &frame);
    seen.width = frame.right - frame.left;
    return seen;
}

BoxResponder::BoxResponder()
{
    activeResponder = this;
    hook_ = SetWindowsHookExA(WH_CBT, onCbt, NULL, GetCurrentThreadId());
}

BoxResponder::~BoxResponder()
{
    UnhookWindowsHookEx(hook_);
    activeResponder = nullptr;
}

void BoxResponder::queueAnswers(std::initializer_list<int> buttons)
{
    answers_.insert(answers_.end(), buttons);
}

void BoxResponder::whileShown(std::function<void(const SeenBox&)> action)
{
    whileShown_ = std::move(action);
}

std::string BoxResponder::captions() const
{
    std::string joined;
    for (const SeenBox& box : boxes_) {
        if (!joined.empty())
            joined += " | ";
        joined += box.caption;
    }
    return joined;
}

LRESULT CALLBACK BoxResponder::onCbt(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && activeResponder)
        activeResponder->onBoxActivated(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(NULL, code, wParam, lParam);
}

void BoxResponder::onBoxActivated(HWND box)
{
    if (!isMessageBox(box))
        return;
    if (std::find(answered_.begin(), answered_.end(), box) != answered_.end())
        return;
    // Only boxes of this thread count. Wine also reports here, now and then,
    // the activation of a box of another program on the shared desktop (a
    // test running beside this one), or of a box window that is already
    // gone: neither is this test's to count or answer.
    if (GetWindowThreadProcessId(box, NULL) != GetCurrentThreadId())
        return;
    SeenBox seen = describeBox(box);
    answered_.push_back(box);

    if (!answers_.empty()) {
        seen.answer = answers_.front();
        answers_.pop_front();
    } else {
        seen.answer = seen.hasYesNo ? IDNO : IDOK;
    }
    boxes_.push_back(seen);
    if (whileShown_)
        whileShown_(seen);
    PostMessageA(box, WM_COMMAND, seen.answer, 0);
}

namespace {
BoxStyleRecorder* activeRecorder = nullptr;
}

BoxStyleRecorder::BoxStyleRecorder()
{
    activeRecorder = this;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROC, onCallWndProc, NULL, GetCurrentThreadId());
}

BoxStyleRecorder::~BoxStyleRecorder()
{
    UnhookWindowsHookEx(hook_);
    activeRecorder = nullptr;
}

// A box's WM_INITDIALOG carries the box's parameters, which start with the
// caller's MSGBOXPARAMSW, on Windows and on Wine alike.
LRESULT CALLBACK BoxStyleRecorder::onCallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && activeRecorder && call->message == WM_INITDIALOG && call->lParam &&
        isMessageBox(call->hwnd)) {
        const MSGBOXPARAMSW* params = reinterpret_cast<const MSGBOXPARAMSW*>(call->lParam);
        if (params->cbSize == sizeof(MSGBOXPARAMSW))
            activeRecorder->styles_.push_back(params->dwStyle);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}
