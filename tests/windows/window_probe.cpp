// The smoke test's eyes on the running tallix.exe, from another process
// under the same Wine server: finds the form by its window class, reads
// its controls through the messages any program may send them, and holds
// a file open without sharing so that reading it fails.
//   window_probe wait              wait (up to 30 s) for the form to show
//   window_probe client            the form's client size in pixels
//   window_probe focus             which control has the keyboard focus
//   window_probe drive             the drive list's text
//   window_probe dirs | files      the rows of the directory or file list
//   window_probe selected          the highlighted file, or nothing
//   window_probe label             the report label's text
//   window_probe item NAME         screen position of NAME in the file list
//   window_probe labelchar N       screen position of the label's character N
//   window_probe forms             how many forms show
//   window_probe box               the error box's caption and text, once
//                                  it shows centred on the visible form
//   window_probe closebox          presses the error box's OK button
//   window_probe startbox          waits (up to 30 s) for a box the program
//                                  shows without a form, writes its caption
//                                  and text and presses its OK button
//   window_probe clipboard         the clipboard's text
//   window_probe close             closes the form
//   window_probe lock FILE SECONDS holds FILE open, unshared
//   window_probe verb CLASS PATH   starts the command of the verb "Tallix" of
//                                  CLASS (* or Directory) on PATH, as
//                                  Explorer does, and prints its command line
//   window_probe resources FILE    FILE's product name and version from its
//                                  version resource, and how many icons it has
// Text is written in UTF-8, one item a line. Exit status 1: not found.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kFormClass[] = L"TallixForm";
enum Control { kDrive1, kDir1, kFile1, kLabel1 };

void Print(const std::wstring& text) {
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    bytes.back() = '\n';
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

// The form, a visible one first: a form being closed may be hidden a while
// before it is gone.
HWND Form() {
    for (HWND form = nullptr; (form = ::FindWindowExW(nullptr, form, kFormClass, nullptr));) {
        if (::IsWindowVisible(form)) {
            return form;
        }
    }
    return ::FindWindowW(kFormClass, nullptr);
}

// The form's controls in their window order, which is the tab order:
// Drive1, Dir1, File1, Label1.
std::vector<HWND> Controls(HWND form) {
    std::vector<HWND> controls;
    for (HWND child = ::GetWindow(form, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        controls.push_back(child);
    }
    return controls;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t text[4096]{};
    ::SendMessageW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring RowText(HWND list, int row) {
    wchar_t text[1024]{};
    ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
    return text;
}

int FindRow(HWND list, const std::wstring& name) {
    const int rows = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        if (RowText(list, row) == name) {
            return row;
        }
    }
    return -1;
}

// A box's caption, then the text of each of its labels.
void PrintBox(HWND box) {
    Print(WindowText(box));
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64]{};
        ::GetClassNameW(child, name, 64);
        if (std::wstring(name) == L"Static") {
            Print(WindowText(child));
        }
    }
}

// The error box: a dialog owned by the form (by no window when `form` is
// null).
HWND ErrorBox(HWND form) {
    struct Search {
        HWND form;
        HWND box;
    } search{form, nullptr};
    ::EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto* found = reinterpret_cast<Search*>(data);
            wchar_t name[64]{};
            ::GetClassNameW(hwnd, name, 64);
            if (std::wstring(name) == L"#32770" && ::GetWindow(hwnd, GW_OWNER) == found->form) {
                found->box = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.box;
}

// What Explorer runs for its verb "Tallix" on `path`: the command under
// HKEY_CLASSES_ROOT, "%1" replaced by the path, in the path's folder.
// Windows merges the user's classes into HKEY_CLASSES_ROOT; Wine does not,
// so there they are read where the installer writes them.
int StartVerb(const std::wstring& file_class, const std::wstring& path) {
    const std::wstring key = file_class + L"\\shell\\Tallix\\command";
    wchar_t command[2048]{};
    DWORD size = sizeof command;
    if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, command,
                       &size) != ERROR_SUCCESS) {
        size = sizeof command;
        if (::RegGetValueW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + key).c_str(), nullptr,
                           RRF_RT_REG_SZ, nullptr, command, &size) != ERROR_SUCCESS) {
            return 1;
        }
    }
    std::wstring line = command;
    const std::size_t argument = line.find(L"%1");
    if (argument == std::wstring::npos) {
        return 1;
    }
    line.replace(argument, 2, path);
    // A drive's root ("C:\\") is its own folder.
    std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    folder += folder.ends_with(L':') ? L"\\" : L"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Detached, as from Explorer: no console, and none of the probe's output.
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                          folder.c_str(), &startup, &process)) {
        return 1;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    Print(line);
    return 0;
}

// What Explorer shows of a program: the version resource's product name
// and file version, and the icons.
int PrintResources(const std::wstring& file) {
    DWORD ignored = 0;
    std::vector<char> info(::GetFileVersionInfoSizeW(file.c_str(), &ignored));
    const auto text = [&info](const wchar_t* name) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        return ::VerQueryValueW(info.data(), path.c_str(), &value, &length) && length > 0
                   ? std::wstring(static_cast<const wchar_t*>(value))
                   : std::wstring(L"-");
    };
    if (info.empty() ||
        !::GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(info.size()), info.data())) {
        return 1;
    }
    const UINT icons = ::ExtractIconExW(file.c_str(), -1, nullptr, nullptr, 0);
    Print(text(L"ProductName") + L" " + text(L"FileVersion") + L" icons " + std::to_wstring(icons));
    return 0;
}

int Run(const std::vector<std::wstring>& args) {
    const std::wstring command = args.empty() ? L"" : args[0];
    if (command == L"verb" && args.size() == 3) {
        return StartVerb(args[1], args[2]);
    }
    if (command == L"resources" && args.size() == 2) {
        return PrintResources(args[1]);
    }
    if (command == L"lock" && args.size() == 3) {
        const HANDLE file = ::CreateFileW(args[1].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return 1;
        }
        Print(L"locked");
        std::fflush(stdout);
        ::Sleep(static_cast<DWORD>(std::stoi(args[2]) * 1000));
        ::CloseHandle(file);
        return 0;
    }
    if (command == L"clipboard") {
        if (!::OpenClipboard(nullptr)) {
            return 1;
        }
        const HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
        const auto* text =
            data != nullptr ? static_cast<const wchar_t*>(::GlobalLock(data)) : nullptr;
        Print(text != nullptr ? text : L"");
        if (text != nullptr) {
            ::GlobalUnlock(data);
        }
        ::CloseClipboard();
        return text != nullptr ? 0 : 1;
    }
    if (command == L"startbox") {
        for (int tries = 0; tries < 300; ++tries) {
            if (const HWND box = ErrorBox(nullptr); box != nullptr && ::IsWindowVisible(box)) {
                PrintBox(box);
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                return 0;
            }
            ::Sleep(100);
        }
        return 1;
    }
    if (command == L"forms") {
        int forms = 0;
        for (HWND form = nullptr; (form = ::FindWindowExW(nullptr, form, kFormClass, nullptr));) {
            forms += ::IsWindowVisible(form) ? 1 : 0;
        }
        Print(std::to_wstring(forms));
        return 0;
    }
    HWND form = Form();
    for (int tries = 0; command == L"wait" && tries < 300; ++tries) {
        if (form != nullptr && ::IsWindowVisible(form)) {
            return 0;
        }
        ::Sleep(100);
        form = Form();
    }
    const std::vector<HWND> controls = form != nullptr ? Controls(form) : std::vector<HWND>();
    if (controls.size() != 4) {
        return 1;
    }
    if (command == L"client") {
        RECT client{};
        ::GetClientRect(form, &client);
        Print(std::to_wstring(client.right) + L" " + std::to_wstring(client.bottom));
    } else if (command == L"focus") {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        ::GetGUIThreadInfo(::GetWindowThreadProcessId(form, nullptr), &info);
        const wchar_t* names[] = {L"Drive1", L"Dir1", L"File1", L"Label1"};
        for (std::size_t i = 0; i < controls.size(); ++i) {
            if (controls[i] == info.hwndFocus) {
                Print(names[i]);
            }
        }
    } else if (command == L"drive") {
        Print(WindowText(controls[kDrive1]));
    } else if (command == L"dirs" || command == L"files") {
        const HWND list = controls[command == L"dirs" ? kDir1 : kFile1];
        const int rows = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row) {
            Print(RowText(list, row));
        }
    } else if (command == L"selected") {
        const int row = static_cast<int>(::SendMessageW(controls[kFile1], LB_GETCURSEL, 0, 0));
        Print(row >= 0 ? RowText(controls[kFile1], row) : L"");
    } else if (command == L"label") {
        Print(WindowText(controls[kLabel1]));
    } else if (command == L"item" && args.size() == 2) {
        const int row = FindRow(controls[kFile1], args[1]);
        RECT place{};
        if (row < 0 || ::SendMessageW(controls[kFile1], LB_GETITEMRECT, static_cast<WPARAM>(row),
                                      reinterpret_cast<LPARAM>(&place)) == LB_ERR) {
            return 1;
        }
        POINT centre{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
        ::ClientToScreen(controls[kFile1], &centre);
        Print(std::to_wstring(centre.x) + L" " + std::to_wstring(centre.y));
    } else if (command == L"labelchar" && args.size() == 2) {
        const LRESULT place = ::SendMessageW(controls[kLabel1], EM_POSFROMCHAR,
                                             static_cast<WPARAM>(std::stoi(args[1])), 0);
        if (place == -1) {
            return 1;
        }
        POINT at{static_cast<short>(LOWORD(place)), static_cast<short>(HIWORD(place))};
        ::ClientToScreen(controls[kLabel1], &at);
        Print(std::to_wstring(at.x) + L" " + std::to_wstring(at.y + 4));
    } else if (command == L"box" || command == L"closebox") {
        const HWND box = ErrorBox(form);
        if (box == nullptr) {
            return 1;
        }
        if (command == L"closebox") {
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        RECT boxRect{};
        RECT formRect{};
        ::GetWindowRect(box, &boxRect);
        ::GetWindowRect(form, &formRect);
        const LONG dx = (boxRect.left + boxRect.right) / 2 - (formRect.left + formRect.right) / 2;
        const LONG dy = (boxRect.top + boxRect.bottom) / 2 - (formRect.top + formRect.bottom) / 2;
        if (!::IsWindowVisible(form) || !::IsWindowVisible(box) || dx * dx + dy * dy > 40 * 40) {
            return 1;
        }
        PrintBox(box);
    } else if (command == L"close") {
        ::PostMessageW(form, WM_CLOSE, 0, 0);
    } else if (command != L"wait") {
        return 2;
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    return Run(std::vector<std::wstring>(argv + 1, argv + argc));
}
