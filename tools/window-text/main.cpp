// vitrel-window-text: a Windows test helper for the program under Wine.
//
//   vitrel-window-text TITLE            prints the text of the top-level
//                                       window TITLE and of each of its child
//                                       windows, one per line (UTF-8)
//   vitrel-window-text --close TITLE    closes that window as its close box
//                                       does (WM_SYSCOMMAND SC_CLOSE)
//   vitrel-window-text --page N TITLE   shows page N (0 the first) of that
//                                       window's notebook, as the arrow keys
//                                       on its tabs do
//   vitrel-window-text --arrival PORT TITLE
//   vitrel-window-text --removal PORT TITLE
//                                       tells that window that the serial
//                                       port PORT (COM3) arrived or left, as
//                                       the system does (WM_DEVICECHANGE with
//                                       DBT_DEVICEARRIVAL or
//                                       DBT_DEVICEREMOVECOMPLETE and a
//                                       DEV_BROADCAST_PORT)
//
// Exit status 0 when the window was found (and the message taken), 1 when
// not, 2 on a usage error.
// The window's X11 counterpart shows neither its controls nor their texts,
// so the test scripts look at them from the Windows side.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#include <dbt.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>

namespace {

void PrintText(HWND window)
{
    wchar_t text[1024];
    // WM_GETTEXT is marshalled across processes; the time-out keeps a busy
    // window from blocking the helper.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 2000, &length)
        || length == 0)
        return;
    char utf8[4096];
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8, sizeof utf8, nullptr, nullptr);
    if (size <= 0)
        return;
    std::fwrite(utf8, 1, static_cast<size_t>(size), stdout);
    std::fputc('\n', stdout);
}

BOOL CALLBACK PrintChildText(HWND window, LPARAM)
{
    PrintText(window);
    return TRUE;
}

// Sent, not posted: the port's description is marshalled into the window's
// process only for a sent WM_DEVICECHANGE.
bool SendPortChange(HWND window, bool arrival, const wchar_t* port)
{
    const std::size_t nameLength = std::wcslen(port);
    const std::size_t size = sizeof(DEV_BROADCAST_PORT_W) + nameLength * sizeof(wchar_t);
    alignas(
        DEV_BROADCAST_PORT_W) unsigned char buffer[sizeof(DEV_BROADCAST_PORT_W) + 64 * sizeof(wchar_t)] = {};
    if (nameLength >= 64)
        return false;
    DEV_BROADCAST_PORT_W* broadcast = reinterpret_cast<DEV_BROADCAST_PORT_W*>(buffer);
    broadcast->dbcp_size = static_cast<DWORD>(size);
    broadcast->dbcp_devicetype = DBT_DEVTYP_PORT;
    std::wmemcpy(broadcast->dbcp_name, port, nameLength + 1);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_DEVICECHANGE,
                               arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                               reinterpret_cast<LPARAM>(broadcast), SMTO_ABORTIFHUNG, 5000, &result)
           != 0;
}

// The toolkit makes its notebooks of its own copy of the tab control class.
BOOL CALLBACK FindTabs(HWND child, LPARAM found)
{
    wchar_t name[32];
    if (GetClassNameW(child, name, 32) > 0
        && (std::wcscmp(name, WC_TABCONTROLW) == 0 || std::wcscmp(name, L"_wx_SysTabCtl32") == 0)) {
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
    }
    return TRUE;
}

// The tab control tells its window of the change itself, as for a user's
// keys: a message sent from here could not carry the notice across.
bool ShowPage(HWND window, int index)
{
    HWND tabs = nullptr;
    EnumChildWindows(window, FindTabs, reinterpret_cast<LPARAM>(&tabs));
    if (tabs == nullptr) {
        std::fputs("vitrel-window-text: the window has no tabs\n", stderr);
        return false;
    }
    const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    if (index < 0 || index >= count) {
        std::fprintf(stderr, "vitrel-window-text: no page %d among %d\n", index, count);
        return false;
    }
    for (int tries = 0; tries < 20; ++tries) {
        const int shown = static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
        if (shown == index)
            return true;
        const WPARAM key = shown < index ? VK_RIGHT : VK_LEFT;
        PostMessageW(tabs, WM_KEYDOWN, key, 1);
        PostMessageW(tabs, WM_KEYUP, key, 0xC0000001);
        Sleep(200);
    }
    std::fprintf(stderr, "vitrel-window-text: page %d stays shown\n",
                 static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)));
    return false;
}

}  // namespace

int main()
{
    // The title is taken from the wide command line: the narrow argv is in the
    // ANSI code page, where a title such as "Vitrel-Oberfl\u00e4che" may not
    // survive.
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const bool close = argv != nullptr && argc == 3 && std::wcscmp(argv[1], L"--close") == 0;
    const bool arrival = argv != nullptr && argc == 4 && std::wcscmp(argv[1], L"--arrival") == 0;
    const bool removal = argv != nullptr && argc == 4 && std::wcscmp(argv[1], L"--removal") == 0;
    const bool page = argv != nullptr && argc == 4 && std::wcscmp(argv[1], L"--page") == 0;
    if (argv == nullptr || (argc != 2 && !close && !arrival && !removal && !page)) {
        std::fputs("usage: vitrel-window-text [--close | --arrival PORT | --removal PORT | --page N] TITLE\n",
                   stderr);
        return 2;
    }
    // Lines end in a bare '\n', as the scripts reading them expect.
    _setmode(_fileno(stdout), _O_BINARY);
    HWND window = FindWindowW(nullptr, argv[argc - 1]);
    if (window != nullptr && page) {
        const bool shown = ShowPage(window, static_cast<int>(std::wcstol(argv[2], nullptr, 10)));
        LocalFree(argv);
        return shown ? 0 : 1;
    }
    if (window != nullptr && (arrival || removal)) {
        const bool sent = SendPortChange(window, arrival, argv[2]);
        LocalFree(argv);
        return sent ? 0 : 1;
    }
    LocalFree(argv);
    if (window == nullptr)
        return 1;
    if (close) {
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    }
    PrintText(window);
    EnumChildWindows(window, PrintChildText, 0);
    return 0;
}
