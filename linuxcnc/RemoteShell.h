#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace linuxcnc {

// A session with LinuxCNC's remote shell, linuxcncrsh: text commands over TCP, one reply line
// per command (with echo off and verbose on, every "set" answers "SET <WHAT> ACK" or "NAK").
// Commands sent together are answered in order, so a poll of several values costs one round
// trip. Any failure to send or to hear a reply in time closes the session: it is lost, and
// stays lost until connect() succeeds again. Not thread-safe.
class RemoteShell {
public:
    using Seconds = std::chrono::duration<double>;

    RemoteShell() = default;
    ~RemoteShell();
    RemoteShell(const RemoteShell&) = delete;
    RemoteShell& operator=(const RemoteShell&) = delete;

    // The shell obeys one session at a time, the last one enabled: a session that only watches
    // leaves control with the one that has it.
    enum class Role { Control, Watch };

    // Connects to `host`:`port` and greets the shell, enabling the session to control LinuxCNC
    // unless it only watches. False, with the session closed, when nothing answers within
    // `timeout` or the shell refuses the greeting.
    bool connect(const std::string& host, int port, Seconds timeout, Role role = Role::Control);
    // Says goodbye and closes the session.
    void close();
    bool connected() const { return socket_ >= 0; }
    // The protocol version the shell greeted with ("1.1").
    const std::string& serverVersion() const { return serverVersion_; }

    // Sends `commands` and returns one reply line per command, in order; empty (and the
    // session lost) when they cannot be sent or a reply does not come within `timeout`.
    std::vector<std::string> exchange(const std::vector<std::string>& commands, Seconds timeout);
    // One command and its reply; empty when the session is lost.
    std::string ask(const std::string& command, Seconds timeout);
    // Sends `commands` without waiting for their replies: the next exchange reads them first
    // and keeps them for takeLateReplies(). False when the session is lost.
    bool post(const std::vector<std::string>& commands);
    // The replies to posted commands read so far, oldest first; they are then forgotten.
    std::vector<std::string> takeLateReplies();

private:
    bool sendAll(std::string_view text);
    // The next reply line, without its line end; false when none came before `deadline`.
    bool readLine(std::string& line, std::chrono::steady_clock::time_point deadline);
    void acknowledgeAtOnce();
    void drop();

    int socket_ = -1;
    std::string received_;  // bytes read past the last whole line
    int unanswered_ = 0;    // posted commands whose replies are still to come
    std::vector<std::string> lateReplies_;
    std::string serverVersion_;
};

// True when a reply to a "set" command acknowledges it ("SET MDI ACK").
bool acknowledged(std::string_view reply);
// The words of a reply after its first ("ABS_ACT_POS 1.0 2.0 ..." -> "1.0", "2.0", ...).
std::vector<std::string> replyValues(std::string_view reply);

}  // namespace linuxcnc
