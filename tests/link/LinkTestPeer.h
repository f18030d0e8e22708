#pragma once

#include <QByteArray>
#include <cstdint>

// A scripted raw peer for wire tests: a loopback listener whose test code reads
// the exact bytes a client sends and writes exact bytes back. The client under
// test runs on another thread (std::async) while the test drives the peer.
class TPeerConn
{
public:
    explicit TPeerConn(int fd = -1)
        : FFd(fd)
    {}
    ~TPeerConn();
    TPeerConn(TPeerConn &&other) noexcept;
    TPeerConn &operator=(TPeerConn &&other) noexcept;

    bool IsValid() const { return FFd >= 0; }
    // Exactly n bytes, or fewer when the connection ended or 5 s passed.
    QByteArray Read(int n);
    // True when the client closed its end (EOF) within 5 s.
    bool WaitClosed();
    void Write(const QByteArray &bytes);
    void Close();

private:
    int FFd;
};

class TPeerListener
{
public:
    explicit TPeerListener(bool ipv6 = false);
    ~TPeerListener();
    uint16_t Port() const { return FPort; }
    // The next connection, or an invalid one after 5 s.
    TPeerConn Accept();
    // Closes the listener so that later connects are refused.
    void Close();

private:
    int FFd = -1;
    uint16_t FPort = 0;
};
