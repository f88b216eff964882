#include "RemoteShell.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>
#include <utility>

namespace linuxcnc {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kConnectPassword = "EMC";    // linuxcncrsh's default --connectpw
constexpr const char* kEnablePassword = "EMCTOO";  // and --enablepw

int millisecondsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<long long>(left.count(), 0));
}

// Waits for `events` on `socket` until `deadline`; false on a time-out or an error.
bool waitFor(int socket, short events, Clock::time_point deadline) {
    pollfd watch{socket, events, 0};
    for (;;) {
        const int ready = ::poll(&watch, 1, millisecondsUntil(deadline));
        if (ready > 0) {
            return (watch.revents & events) != 0;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

// A non-blocking TCP connection to one of `host`'s addresses, made within `deadline`; -1 when
// none answers.
int connectedSocket(const std::string& host, int port, Clock::time_point deadline) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* addresses = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses) != 0) {
        return -1;
    }
    int connected = -1;
    for (const addrinfo* address = addresses; address && connected < 0;
         address = address->ai_next) {
        const int candidate =
            ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (candidate < 0) {
            continue;
        }
        int error = 0;
        socklen_t length = sizeof error;
        const bool started = ::connect(candidate, address->ai_addr, address->ai_addrlen) == 0 ||
                             errno == EINPROGRESS;
        if (started && waitFor(candidate, POLLOUT, deadline) &&
            ::getsockopt(candidate, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) {
            connected = candidate;
        } else {
            ::close(candidate);
        }
    }
    ::freeaddrinfo(addresses);
    if (connected >= 0) {
        const int on = 1;  // each poll is a few short lines: send them at once
        ::setsockopt(connected, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        ::setsockopt(connected, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    }
    return connected;
}

}  // namespace

RemoteShell::~RemoteShell() {
    drop();
}

bool RemoteShell::connect(const std::string& host, int port, Seconds timeout, Role role) {
    drop();
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout);
    socket_ = connectedSocket(host, port, deadline);
    if (socket_ < 0) {
        return false;
    }
    // The greeting is answered without an echo. Until "set echo off" has taken effect the shell
    // echoes what it reads, so the set-up commands go one by one, echoes skipped; from
    // "set verbose on" on every set is acknowledged.
    std::string greeting;
    const auto answered = [&](const std::string& command, std::string_view reply) {
        std::string line;
        if (!sendAll(command + "\r\n")) {
            return false;
        }
        while (readLine(line, deadline)) {
            if (line.starts_with(reply)) {
                return true;
            }
            if (!line.starts_with("set ")) {
                return false;
            }
        }
        return false;
    };
    const bool greeted = sendAll(std::string("hello ") + kConnectPassword + " corvane2 1.0\r\n") &&
                         readLine(greeting, deadline) && greeting.starts_with("HELLO ACK") &&
                         sendAll("set echo off\r\n") &&
                         answered("set verbose on", "SET VERBOSE ACK") &&
                         (role == Role::Watch ||
                          answered(std::string("set enable ") + kEnablePassword, "SET ENABLE ACK"));
    if (!greeted) {
        drop();
        return false;
    }
    serverVersion_ = replyValues(greeting).back();
    return true;
}

void RemoteShell::close() {
    if (connected()) {
        sendAll("quit\r\n");
    }
    drop();
}

std::vector<std::string> RemoteShell::exchange(const std::vector<std::string>& commands,
                                               Seconds timeout) {
    if (!post(commands)) {
        return {};
    }
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout);
    const auto replyCount = static_cast<std::size_t>(unanswered_);
    std::vector<std::string> replies(replyCount);
    for (std::string& reply : replies) {
        if (!readLine(reply, deadline)) {
            drop();
            return {};
        }
        --unanswered_;
    }
    // The replies to commands posted earlier come first.
    const auto late = replies.begin() + static_cast<std::ptrdiff_t>(replyCount - commands.size());
    lateReplies_.insert(lateReplies_.end(), replies.begin(), late);
    replies.erase(replies.begin(), late);
    return replies;
}

bool RemoteShell::post(const std::vector<std::string>& commands) {
    if (!connected()) {
        return false;
    }
    std::string text;
    for (const std::string& command : commands) {
        text += command + "\r\n";
    }
    if (!sendAll(text)) {
        return false;
    }
    unanswered_ += static_cast<int>(commands.size());
    return true;
}

std::vector<std::string> RemoteShell::takeLateReplies() {
    return std::exchange(lateReplies_, {});
}

std::string RemoteShell::ask(const std::string& command, Seconds timeout) {
    const std::vector<std::string> replies = exchange({command}, timeout);
    return replies.empty() ? std::string() : replies.front();
}

bool RemoteShell::sendAll(std::string_view text) {
    while (!text.empty()) {
        const ssize_t sent = ::send(socket_, text.data(), text.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EAGAIN &&
            waitFor(socket_, POLLOUT, Clock::now() + std::chrono::seconds(1))) {
            continue;
        }
        if (sent <= 0) {
            if (errno != EINTR) {
                drop();
                return false;
            }
            continue;
        }
        text.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

bool RemoteShell::readLine(std::string& line, Clock::time_point deadline) {
    for (;;) {
        const std::size_t end = received_.find_first_of("\r\n");
        if (end != std::string::npos) {
            line = received_.substr(0, end);
            const std::size_t next = received_.find_first_not_of("\r\n", end);
            received_.erase(0, next == std::string::npos ? received_.size() : next);
            if (!line.empty()) {
                return true;
            }
            continue;
        }
        if (socket_ < 0 || !waitFor(socket_, POLLIN, deadline)) {
            return false;
        }
        char buffer[4096];
        const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
        if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) {
            drop();  // the shell went away
            return false;
        }
        if (got > 0) {
            received_.append(buffer, static_cast<std::size_t>(got));
            acknowledgeAtOnce();
        }
    }
}

// The shell writes each reply on its own and holds the next back until the last is
// acknowledged; a delayed acknowledgement would stall every reply after the first of a batch by
// 40 ms. Linux leaves quick acknowledgement mode by itself, so it is asked for after each read.
void RemoteShell::acknowledgeAtOnce() {
    const int on = 1;
    ::setsockopt(socket_, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}

void RemoteShell::drop() {
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
    received_.clear();
    unanswered_ = 0;
    lateReplies_.clear();
}

bool acknowledged(std::string_view reply) {
    return reply.ends_with(" ACK");
}

std::vector<std::string> replyValues(std::string_view reply) {
    std::istringstream words{std::string(reply)};
    std::vector<std::string> values;
    std::string word;
    words >> word;  // the reply's name
    while (words >> word) {
        values.push_back(word);
    }
    return values;
}

}  // namespace linuxcnc
