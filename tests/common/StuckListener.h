#pragma once
// A loopback peer that never answers, for tests of cancel and close on a stuck connect.

#include <winsock2.h>

#include <initializer_list>

// A loopback listener whose accept queue is full: the system drops further connection requests, so a connect to
// it waits until the system gives up, minutes later. Closing it refuses them, which frees anything still waiting.
class CStuckListener {
public:
    CStuckListener() {
        WSADATA data{};
        m_started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof(address);
        m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        // A backlog of 0 leaves room for one connection, which the filler takes.
        if (!m_started || m_listener == INVALID_SOCKET ||
            ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(m_listener, 0) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
            return;
        }
        m_filler = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (m_filler != INVALID_SOCKET && ::connect(m_filler, reinterpret_cast<sockaddr*>(&address), size) == 0) {
            m_port = ntohs(address.sin_port);
        }
    }
    CStuckListener(const CStuckListener&) = delete;
    CStuckListener& operator=(const CStuckListener&) = delete;
    ~CStuckListener() {
        for (const SOCKET s : {m_filler, m_listener}) {
            if (s != INVALID_SOCKET) {
                (void)::closesocket(s);
            }
        }
        if (m_started) {
            (void)::WSACleanup();
        }
    }

    // 0 when the listener could not be set up.
    [[nodiscard]] unsigned Port() const noexcept { return m_port; }

private:
    bool m_started = false;
    SOCKET m_listener = INVALID_SOCKET;
    SOCKET m_filler = INVALID_SOCKET;
    unsigned m_port = 0;
};
