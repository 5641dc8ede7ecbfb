// The setup dialog's Win32 view: the template's controls set from the model's
// state, the model's focus keys on every control, placement on the pointer's
// monitor, and the answer handed to the model.
#include "host/platform/win32/win32_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "host/platform/win32/resource_ids.h"
#include "host/setup_dialog_model.h"

namespace glassmeridian {
namespace {

constexpr INT_PTR kAccepted = 1;
constexpr INT_PTR kDeclined = 0;
constexpr UINT_PTR kKeySubclassId = 1;

// What one run of the dialog reads and fills in.
struct DialogRun {
    const SetupChoices* shown = nullptr;
    HICON smallIcon = nullptr;  // the window icons, owned by the caller
    HICON bigIcon = nullptr;
    SetupChoices chosen;
};

bool takesFocus(const DialogControl& control) {
    return control.kind == ControlKind::PushButton || control.kind == ControlKind::RadioButton ||
           control.kind == ControlKind::CheckBox;
}

// Owns an icon loaded from the resources for one size.
class OwnedIcon {
public:
    explicit OwnedIcon(int size)
        : icon_(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON,
                                              size, size, LR_DEFAULTCOLOR))) {}
    ~OwnedIcon() {
        if (icon_) DestroyIcon(icon_);
    }
    OwnedIcon(const OwnedIcon&) = delete;
    OwnedIcon& operator=(const OwnedIcon&) = delete;
    HICON get() const { return icon_; }

private:
    HICON icon_;
};

// Centres the framed dialog in the work area of the monitor under the mouse
// pointer (the primary monitor's when the pointer cannot be read).
void placeOnPointersMonitor(HWND dialog) {
    POINT pointer{0, 0};
    GetCursorPos(&pointer);
    MONITORINFO monitor;
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    RECT window, client;
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    FrameExtents frame;
    frame.left = origin.x - window.left;
    frame.top = origin.y - window.top;
    frame.right = window.right - origin.x - client.right;
    frame.bottom = window.bottom - origin.y - client.bottom;
    const RECT& work = monitor.rcWork;
    const DialogRect area{work.left, work.top, work.right - work.left, work.bottom - work.top};
    const PixelPoint at = centredOrigin(area, client.right, client.bottom, frame);
    SetWindowPos(dialog, nullptr, at.x - frame.left, at.y - frame.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void showChoices(HWND dialog, const SetupChoices& choices) {
    for (std::size_t i = 0; i < choices.radioChecked.size(); ++i)
        CheckDlgButton(dialog, kFirstRadioId + static_cast<int>(i), choices.radioChecked[i] ? BST_CHECKED : BST_UNCHECKED);
    for (std::size_t i = 0; i < choices.boxChecked.size(); ++i)
        CheckDlgButton(dialog, kFirstCheckId + static_cast<int>(i), choices.boxChecked[i] ? BST_CHECKED : BST_UNCHECKED);
}

SetupChoices readChoices(HWND dialog) {
    SetupChoices choices;
    for (std::size_t i = 0; i < choices.radioChecked.size(); ++i)
        choices.radioChecked[i] = IsDlgButtonChecked(dialog, kFirstRadioId + static_cast<int>(i)) == BST_CHECKED;
    for (std::size_t i = 0; i < choices.boxChecked.size(); ++i)
        choices.boxChecked[i] = IsDlgButtonChecked(dialog, kFirstCheckId + static_cast<int>(i)) == BST_CHECKED;
    return choices;
}

void answer(HWND dialog, bool accepted) {
    if (accepted) {
        auto* run = reinterpret_cast<DialogRun*>(GetWindowLongPtrA(dialog, DWLP_USER));
        run->chosen = readChoices(dialog);
    }
    EndDialog(dialog, accepted ? kAccepted : kDeclined);
}

// The model's keys on the control `control` (row `index` of the table):
// arrows step through every control that takes the focus, checking a radio
// button they reach; Enter presses "Niemals" where it has the focus and
// accepts elsewhere; Escape declines. False for any other key.
bool handleKey(HWND control, std::size_t index, WPARAM key) {
    HWND dialog = GetParent(control);
    FocusMove move;
    switch (key) {
        case VK_RIGHT: case VK_DOWN: move = FocusMove::NextInGroup; break;
        case VK_LEFT: case VK_UP: move = FocusMove::PreviousInGroup; break;
        case VK_RETURN: answer(dialog, kSetupControls[index].id != kDeclineId); return true;
        case VK_ESCAPE: answer(dialog, false); return true;
        default: return false;
    }
    const std::size_t next = nextFocus(index, move);
    HWND target = GetDlgItem(dialog, kSetupControls[next].id);
    if (!target) return true;
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
    if (kSetupControls[next].kind == ControlKind::RadioButton) {
        CheckRadioButton(dialog, kFirstRadioId, kFirstRadioId + 3, kSetupControls[next].id);
    }
    return true;
}

bool isDialogKey(WPARAM key) {
    return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN || key == VK_RETURN ||
           key == VK_ESCAPE;
}

// Each control that takes the focus claims the model's keys from the dialog
// manager (WM_GETDLGCODE) and handles them itself; Tab and Space stay the
// dialog manager's and the button's. `data` is the control's table row.
LRESULT CALLBACK keySubclass(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    switch (message) {
        case WM_GETDLGCODE: {
            const MSG* pending = reinterpret_cast<const MSG*>(lParam);
            LRESULT code = DefSubclassProc(control, message, wParam, lParam);
            if (pending && pending->message == WM_KEYDOWN && isDialogKey(pending->wParam)) code |= DLGC_WANTMESSAGE;
            return code;
        }
        case WM_KEYDOWN:
            if (handleKey(control, static_cast<std::size_t>(data), wParam)) return 0;
            break;
        case WM_CHAR:
            if (wParam == '\r' || wParam == 0x1B) return 0;  // the ending key's character: no beep
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(control, keySubclass, kKeySubclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            const auto* run = reinterpret_cast<const DialogRun*>(lParam);
            for (std::size_t i = 0; i < kSetupControls.size(); ++i) {
                if (!takesFocus(kSetupControls[i])) continue;
                if (HWND control = GetDlgItem(dialog, kSetupControls[i].id))
                    SetWindowSubclass(control, keySubclass, kKeySubclassId, i);
            }
            if (run->smallIcon) SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(run->smallIcon));
            if (run->bigIcon) SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(run->bigIcon));
            showChoices(dialog, *run->shown);
            placeOnPointersMonitor(dialog);
            ShowWindow(dialog, SW_SHOW);
            SetForegroundWindow(dialog);
            SetFocus(GetDlgItem(dialog, kAcceptId));
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && (LOWORD(wParam) == kAcceptId || LOWORD(wParam) == kDeclineId)) {
                answer(dialog, LOWORD(wParam) == kAcceptId);
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            answer(dialog, false);
            return TRUE;
        default:
            return FALSE;
    }
}

std::string systemMessage(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length && text ? std::string(text, length) : "error " + std::to_string(error);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

}  // namespace

DialogOutcome Win32SetupDialog::run(const SetupChoices& shown, LaunchSettings& settings) {
    // Before the dialog is made, so that any common control in it is registered.
    InitCommonControls();
    DialogRun run;
    run.shown = &shown;
    const OwnedIcon smallIcon(GetSystemMetrics(SM_CXSMICON));
    const OwnedIcon bigIcon(GetSystemMetrics(SM_CXICON));
    run.smallIcon = smallIcon.get();
    run.bigIcon = bigIcon.get();
    SetLastError(0);
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETUP), nullptr,
                                           dialogProc, reinterpret_cast<LPARAM>(&run));
    DialogOutcome outcome;
    if (result == -1) {
        outcome.shown = false;
        outcome.failure = "cannot show the dialog (" + systemMessage(GetLastError()) + ")";
        return outcome;
    }
    if (result == kAccepted) {
        acceptChoices(run.chosen, settings);
    } else {
        declineChoices(settings);
    }
    return outcome;
}

void Win32SetupDialog::showFailure(const char* text) {
    const char* off = std::getenv("GLASS_MERIDIAN_NO_MESSAGE_BOX");
    if (off && *off && std::strcmp(off, "0") != 0) return;
    MessageBoxA(nullptr, text, kDialogCaption, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace glassmeridian
