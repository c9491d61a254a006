#pragma once
// A TCP relay on 127.0.0.1 that passes every connection it accepts on to a
// server's port and records what the client side sends into a PcapCapture
// (as seen at the relay's own port), so a test can hand a real session to
// an independent reader of the bytes. One thread polls every socket; Stop
// wakes it through a pipe and joins it.

#include "PcapCapture.h"
#include "PeerProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>
#include <vector>

class RecordingRelay {
public:
    explicit RecordingRelay(PcapCapture& capture) : capture(capture) {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a = LoopbackAddress();
        ::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(listener, 8);
        port = PortOf(listener, false);
        if (::pipe2(wake, O_CLOEXEC) != 0)
            wake[0] = wake[1] = -1;
    }
    ~RecordingRelay() {
        Stop();
        ::close(listener);
        for (int fd : wake)
            if (fd >= 0)
                ::close(fd);
    }
    RecordingRelay(const RecordingRelay&) = delete;
    RecordingRelay& operator=(const RecordingRelay&) = delete;

    // The port clients connect to; known before the relay starts.
    unsigned int Port() const { return port; }
    // Begins passing connections on to `upstreamPort`.
    void Start(unsigned int upstreamPort) {
        upstream = upstreamPort;
        worker = std::thread([this] { Run(); });
    }
    // Ends every connection still open and joins the thread.
    void Stop() {
        if (!worker.joinable())
            return;
        const char byte = 0;
        (void)!::write(wake[1], &byte, 1);
        worker.join();
    }

private:
    struct Link {
        int client;
        int server;
        int stream;
        // The client has closed: its end is passed on as the end of our
        // writing, and the server's answers are still read to their end, so
        // that closing never throws away bytes the server has not read.
        bool clientDone = false;
    };

    static unsigned int PortOf(int fd, bool remote) {
        sockaddr_in a{};
        socklen_t size = sizeof a;
        if (remote)
            ::getpeername(fd, reinterpret_cast<sockaddr*>(&a), &size);
        else
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
        return ntohs(a.sin_port);
    }
    static bool WriteAll(int fd, const char* data, size_t size) {
        while (size > 0) {
            const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            data += n;
            size -= static_cast<size_t>(n);
        }
        return true;
    }

    void Accept() {
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a = LoopbackAddress(upstream);
        if (::connect(server, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(server);
            ::close(client);
            return;
        }
        links.push_back({client, server, capture.Open(PortOf(client, true), port), false});
    }
    // Passes one read on; false when that side is done.
    bool Pass(Link& link, bool fromClient) {
        char buffer[8192];
        const ssize_t n = ::recv(fromClient ? link.client : link.server, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        if (fromClient) {
            capture.Send(link.stream, std::string(buffer, static_cast<size_t>(n)));
            return WriteAll(link.server, buffer, static_cast<size_t>(n));
        }
        if (!link.clientDone && !WriteAll(link.client, buffer, static_cast<size_t>(n)))
            EndClient(link);
        return true;
    }
    void EndClient(Link& link) {
        link.clientDone = true;
        ::shutdown(link.server, SHUT_WR);
    }
    void Drop(size_t index) {
        capture.Close(links[index].stream);
        ::close(links[index].client);
        ::close(links[index].server);
        links.erase(links.begin() + static_cast<std::ptrdiff_t>(index));
    }

    void Run() {
        for (;;) {
            std::vector<pollfd> fds{{wake[0], POLLIN, 0}, {listener, POLLIN, 0}};
            for (const Link& link : links) {
                // A closed client end is left out (poll skips negative ones).
                fds.push_back({link.clientDone ? -1 : link.client, POLLIN, 0});
                fds.push_back({link.server, POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), -1) < 0)
                continue;
            if (fds[0].revents)
                break;
            // Newest first, so that dropping one leaves the indices of
            // those still to be looked at as they were.
            for (size_t i = links.size(); i-- > 0;) {
                if (fds[2 + 2 * i].revents && !Pass(links[i], true))
                    EndClient(links[i]);
                if (fds[3 + 2 * i].revents && !Pass(links[i], false))
                    Drop(i);
            }
            if (fds[1].revents & POLLIN)
                Accept();
        }
        while (!links.empty())
            Drop(links.size() - 1);
    }

    PcapCapture& capture;
    int listener = -1;
    int wake[2] = {-1, -1};
    unsigned int port = 0;
    unsigned int upstream = 0;
    std::vector<Link> links;
    std::thread worker;
};
