#include "FakeRemoteShell.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

namespace {

std::string positionReply(const char* name, const std::array<double, 4>& position) {
    char text[160];
    std::snprintf(text, sizeof text, "%s %f %f %f %f 0.000000 0.000000", name, position[0],
                  position[1], position[2], position[3]);
    return text;
}

std::string onOff(bool on) {
    return on ? "ON" : "OFF";
}

}  // namespace

FakeRemoteShell::FakeRemoteShell() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 4);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

FakeRemoteShell::~FakeRemoteShell() {
    ::shutdown(listener_, SHUT_RDWR);
    dropClient();
    thread_.join();
    ::close(listener_);
}

FakeRemoteShell::Machine FakeRemoteShell::machine() {
    std::lock_guard lock(mutex_);
    return machine_;
}

void FakeRemoteShell::change(const std::function<void(Machine&)>& change) {
    std::lock_guard lock(mutex_);
    change(machine_);
}

std::vector<std::string> FakeRemoteShell::received() {
    std::lock_guard lock(mutex_);
    return received_;
}

std::vector<std::string> FakeRemoteShell::mdiLines() {
    std::vector<std::string> lines;
    for (const std::string& line : received()) {
        if (line.starts_with("set mdi ")) {
            lines.push_back(line.substr(8));
        }
    }
    return lines;
}

void FakeRemoteShell::dropClient() {
    std::lock_guard lock(mutex_);
    if (client_ >= 0) {
        ::shutdown(client_, SHUT_RDWR);
    }
}

void FakeRemoteShell::serve() {
    for (;;) {
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            return;  // the listener was shut down
        }
        {
            std::lock_guard lock(mutex_);
            client_ = client;
            verbose_ = false;
        }
        serveClient(client);
        std::lock_guard lock(mutex_);
        client_ = -1;
        ::close(client);
    }
}

void FakeRemoteShell::serveClient(int client) {
    std::string pending;
    char buffer[1024];
    for (;;) {
        const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) {
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(got));
        std::size_t end = 0;
        while ((end = pending.find("\r\n")) != std::string::npos) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 2);
            if (line == "quit") {
                return;
            }
            std::string answer;
            {
                std::lock_guard lock(mutex_);
                received_.push_back(line);
                answer = reply(line);
            }
            if (!answer.empty()) {
                answer += "\r\n";
                ::send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
            }
        }
    }
}

std::string FakeRemoteShell::reply(const std::string& line) {
    Machine& m = machine_;
    const auto ack = [this](const char* what) {
        return verbose_ ? std::string("SET ") + what + " ACK" : std::string();
    };
    if (line.starts_with("hello EMC ")) {
        return "HELLO ACK EMCNETSVR 1.1";
    }
    if (line == "set echo off") {
        return line;  // echoed, as the echo is still on when it arrives
    }
    if (line == "set verbose on") {
        verbose_ = true;
        return ack("VERBOSE");
    }
    if (line == "set enable EMCTOO") {
        return ack("ENABLE");
    }
    if (line == "get machine") {
        return "MACHINE " + onOff(m.on);
    }
    if (line == "get mode") {
        return "MODE " + m.mode;
    }
    if (line == "get program_status") {
        if ((m.moveTarget || m.homing) && --m.pollsLeft <= 0) {
            if (m.moveTarget) {
                m.position = *m.moveTarget;
            }
            m.homed = m.homed || m.homing;
            m.moveTarget.reset();
            m.homing = false;
        }
        return m.moveTarget ? "PROGRAM_STATUS RUNNING" : "PROGRAM_STATUS IDLE";
    }
    if (line == "get joint_homed") {
        const std::string homed = m.homed ? "YES" : "NO";
        return "JOINT_HOMED " + homed + " " + homed + " " + homed + " " + homed + " NO NO";
    }
    if (line == "get abs_cmd_pos") {
        return positionReply("ABS_CMD_POS", m.moveTarget ? *m.moveTarget : m.position);
    }
    if (line == "get abs_act_pos") {
        return positionReply("ABS_ACT_POS", m.position);
    }
    if (line == "get error") {
        const std::string error = m.error.empty() ? "OK" : m.error;
        m.error.clear();
        return "ERROR " + error;
    }
    if (line == "set estop on" || line == "set estop off") {
        m.estop = line.ends_with("on");
        m.on = m.on && !m.estop;
        if (m.estop) {
            m.moveTarget.reset();
        }
        return ack("ESTOP");
    }
    if (line == "set machine on") {
        m.on = !m.estop;
        return ack("MACHINE");
    }
    if (line.starts_with("set mode ")) {
        m.mode = line.substr(9) == "mdi" ? "MDI" : "MANUAL";
        return ack("MODE");
    }
    if (line == "set home -1") {
        m.homing = m.on && m.mode == "MANUAL";
        m.pollsLeft = kPollsPerMotion;
        return ack("HOME");
    }
    if (line == "set abort") {
        m.moveTarget.reset();
        m.homing = false;
        return ack("ABORT");
    }
    if (line.starts_with("set mdi ")) {
        runMdi(line.substr(8));
        return ack("MDI");  // received; a refusal is told in the errors
    }
    return line + " NAK";
}

void FakeRemoteShell::runMdi(const std::string& line) {
    Machine& m = machine_;
    if (!m.on || m.mode != "MDI") {
        m.error = "MDI refused";
        return;
    }
    char code = 0;
    int output = 0;
    char end = 0;
    if (std::sscanf(line.c_str(), "M6%c P%d%c", &code, &output, &end) == 2 &&
        (code == '4' || code == '5')) {
        if (output < 0 || output >= 5) {
            m.error = "index out of range";
            return;
        }
        m.outputs[static_cast<std::size_t>(output)] = code == '4';
        return;
    }
    std::array<double, 4> target{};
    double feed = 0;
    const bool move = std::sscanf(line.c_str(), "G53 G90 G93 G1 X%lf Y%lf Z%lf A%lf F%lf%c",
                                  &target[0], &target[1], &target[2], &target[3], &feed, &end) == 5;
    if (!move || m.refuseMoves) {
        m.error = m.refuseMoves ? "move exceeds a soft limit" : "unknown MDI";
        return;
    }
    m.moveTarget = target;
    m.pollsLeft = kPollsPerMotion;
}
