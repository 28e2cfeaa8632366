// vitrel-window-text: a Windows test helper for the program under Wine.
//
//   vitrel-window-text TITLE            prints the text of the top-level
//                                       window TITLE and of each of its child
//                                       windows, one per line (UTF-8)
//   vitrel-window-text --close TITLE    closes that window as its close box
//                                       does (WM_SYSCOMMAND SC_CLOSE)
//
// Exit status 0 when the window was found, 1 when not, 2 on a usage error.
// The window's X11 counterpart shows neither its controls nor their texts,
// so the test scripts look at them from the Windows side.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

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

}  // namespace

int main()
{
    // The title is taken from the wide command line: the narrow argv is in the
    // ANSI code page, where a title such as "Vitrel-Oberfl\u00e4che" may not
    // survive.
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const bool close = argv != nullptr && argc == 3 && std::wcscmp(argv[1], L"--close") == 0;
    if (argv == nullptr || (argc != 2 && !close)) {
        std::fputs("usage: vitrel-window-text [--close] TITLE\n", stderr);
        return 2;
    }
    // Lines end in a bare '\n', as the scripts reading them expect.
    _setmode(_fileno(stdout), _O_BINARY);
    HWND window = FindWindowW(nullptr, argv[argc - 1]);
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
