#include "app/CmdLine.h"

#include "win/Path.h"

#include "transfer/UrlStr.h"
#include "win/Handles.h"
#include "win/Strings.h"

#include <windows.h>
#include <shellapi.h>

#include <array>
#include <memory>

namespace {

bool StartsWith(std::wstring_view text, std::wstring_view prefix) noexcept {
    return text.substr(0, prefix.size()) == prefix;
}

// A scheme the platform's URL parser knows makes the first argument a URL; anything else is a path.
bool IsUrl(std::wstring_view argument) {
    transfer::CUrlStr url;
    if (url.Crack(argument) && !url.IsUnknown()) {
        return true;
    }
    // A malformed address of a scheme we download from is still meant as an address, never as a file name.
    for (const std::wstring_view scheme : {L"http:", L"https:", L"ftp:"}) {
        if (argument.size() > scheme.size() && win::EqualsNoCaseAscii(argument.substr(0, scheme.size()), scheme)) {
            return true;
        }
    }
    return false;
}

struct LocalFreeDeleter {
    void operator()(wchar_t** p) const noexcept { ::LocalFree(p); }
};

struct WindowSearch {
    DWORD threadId = 0;
    HWND found = nullptr;
};

// How long a started process may take to show its first window, and how often to look.
constexpr DWORD kShownWaitMs = 10000;
constexpr DWORD kShownPollMs = 20;

BOOL CALLBACK FindThreadTopWindow(HWND window, LPARAM param) noexcept {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (::GetParent(window) == nullptr && ::IsWindowVisible(window) &&
        ::GetWindowThreadProcessId(window, nullptr) == search->threadId) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The system lets only the foreground thread hand the foreground on, and even then only after the lock time-out;
// sharing the foreground thread's input and lifting the time-out for the moment gets the new window raised.
bool BringToFront(HWND window) {
    const HWND foreground = ::GetForegroundWindow();
    if (!foreground) {
        return false;
    }
    const DWORD ownThread = ::GetCurrentThreadId();
    const DWORD foregroundThread = ::GetWindowThreadProcessId(foreground, nullptr);
    const bool attached = foregroundThread != ownThread && ::AttachThreadInput(ownThread, foregroundThread, TRUE);
    DWORD savedTimeout = 0;
    bool ok = ::SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &savedTimeout, 0) &&
              ::SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    if (ok) {
        ::SetForegroundWindow(window);
        if (savedTimeout != 0) {
            ok = ::SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                                         reinterpret_cast<void*>(static_cast<UINT_PTR>(savedTimeout)), 0);
        }
    }
    if (attached && !::AttachThreadInput(ownThread, foregroundThread, FALSE)) {
        ok = false;
    }
    return ok;
}

} // namespace

void CCmdLine::Clear() {
    m_kind = kNotParsed;
    m_path.clear();
    m_url.Reset();
    m_topic.Clear();
    m_error.clear();
    m_badUrl = false;
}

bool CCmdLine::Parse() {
    return Parse(std::wstring_view(::GetCommandLineW()));
}

bool CCmdLine::Parse(std::wstring_view commandLine) {
    std::vector<std::wstring> argv;
    // The splitter answers an empty line with the module path, which is not what the line said.
    if (!commandLine.empty()) {
        const std::wstring text(commandLine);
        int count = 0;
        const std::unique_ptr<wchar_t*, LocalFreeDeleter> parts(::CommandLineToArgvW(text.c_str(), &count));
        if (!parts) {
            Clear();
            return false;
        }
        argv.assign(parts.get(), parts.get() + count);
    }
    return Parse(argv);
}

bool CCmdLine::Parse(const std::vector<std::wstring>& argv) {
    Clear();
    if (argv.size() < 2) {
        m_kind = kNoDocument;
        return true;
    }
    if (IsUrl(argv[1])) {
        if (!ParseUrl(argv)) {
            return false;
        }
    } else {
        // Connection options mean nothing for a file, so they are not even checked for repetition.
        m_path = argv[1];
        m_kind = kPath;
    }
    for (size_t i = 2; i < argv.size(); ++i) {
        if (StartsWith(argv[i], kOptTopic)) {
            m_topic = transfer::CTopicStr(std::wstring_view(argv[i]).substr(kOptTopic.size()), true);
            break;
        }
    }
    return true;
}

bool CCmdLine::ParseUrl(const std::vector<std::wstring>& argv) {
    transfer::CUrlConn url;
    if (!url.SetAddress(argv[1])) {
        m_badUrl = true;
        m_error = L"error: \"" + argv[1] + L"\"";
        return false;
    }
    // Tested in this order; "/pass:" and "/pasv" do not prefix each other.
    const std::array<std::wstring_view, 5> options = {kOptLogin, kOptUser, kOptPass, kOptCache, kOptPasv};
    std::array<bool, 5> seen{};
    for (size_t i = 2; i < argv.size(); ++i) {
        const std::wstring_view argument = argv[i];
        size_t option = 0;
        while (option < options.size() && !StartsWith(argument, options[option])) {
            ++option;
        }
        if (option == options.size()) {
            continue;
        }
        if (seen[option]) {
            m_error = L"error: \"" + argv[i] + L"\"";
            return false;
        }
        seen[option] = true;
        const std::wstring_view value = argument.substr(options[option].size());
        switch (option) {
        case 0:
            url.login = 1;
            break;
        case 1:
            url.user = value;
            break;
        case 2:
            url.password = value;
            break;
        case 3:
            url.cache = 1;
            break;
        default:
            url.pasv = 1;
            break;
        }
    }
    m_url = url;
    m_kind = kUrl;
    return true;
}

bool CCmdLine::Build(std::wstring& out) const {
    out.clear();
    switch (m_kind) {
    case kNoDocument:
        return true;
    case kPath:
        if (m_path.empty()) {
            return false;
        }
        out = QuoteArgument(m_path);
        break;
    case kUrl: {
        const std::wstring& address = m_url.Address().Url();
        if (address.empty()) {
            return false;
        }
        out = QuoteArgument(address);
        auto append = [&out](std::wstring_view option, std::wstring_view value) {
            out += L' ';
            out += QuoteArgument(std::wstring(option) + std::wstring(value));
        };
        if (m_url.login) {
            append(kOptLogin, {});
        }
        if (!m_url.user.empty()) {
            append(kOptUser, m_url.user);
        }
        if (!m_url.password.empty()) {
            append(kOptPass, m_url.password);
        }
        if (m_url.cache) {
            append(kOptCache, {});
        }
        if (m_url.pasv) {
            append(kOptPasv, {});
        }
        break;
    }
    default:
        return false;
    }
    if (!m_topic.IsEmpty()) {
        out += L' ';
        out += QuoteArgument(std::wstring(kOptTopic) + m_topic.Text());
    }
    return true;
}

std::wstring QuoteArgument(std::wstring_view argument) {
    std::wstring quoted(1, L'"');
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            // Each backslash before a quote must be doubled, and the quote itself escaped.
            quoted.append(backslashes * 2 + 1, L'\\');
        } else {
            quoted.append(backslashes, L'\\');
        }
        backslashes = 0;
        quoted += c;
    }
    // The closing quote follows, so trailing backslashes are doubled too.
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

bool LaunchNewWindow(const std::wstring& arguments) {
    const std::wstring module = win::ModuleFileName();
    return !module.empty() && LaunchProgramWindow(module, arguments);
}

bool LaunchProgramWindow(std::wstring_view program, const std::wstring& arguments) {
    std::wstring commandLine = QuoteArgument(program);
    if (!arguments.empty()) {
        commandLine += L' ';
        commandLine += arguments;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return false;
    }
    win::CHandle process(info.hProcess);
    win::CHandle thread(info.hThread);
    // Its window is looked for until it shows, the process ends or time runs out; not its input idle: this
    // platform signals that only once a thread of the process waits for messages, which can come long after
    // the window shows, or never when the window is closed first.
    WindowSearch search;
    search.threadId = info.dwThreadId;
    for (DWORD waited = 0;; waited += kShownPollMs) {
        ::EnumWindows(FindThreadTopWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found || waited >= kShownWaitMs ||
            ::WaitForSingleObject(process.Get(), kShownPollMs) != WAIT_TIMEOUT) {
            break;
        }
    }
    if (!search.found || !BringToFront(search.found)) {
        return false;
    }
    return thread.Close() && process.Close();
}
