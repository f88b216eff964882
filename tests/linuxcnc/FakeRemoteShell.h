#pragma once

#include <array>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A stand-in for LinuxCNC's remote shell on a local port: the protocol as the LinuxCNC library
// speaks it, over a machine whose MDI moves and homing finish after a few status polls. One
// client at a time; everything it received is kept.
class FakeRemoteShell {
public:
    struct Machine {
        bool estop = true;
        bool on = false;
        bool homed = false;
        std::string mode = "MANUAL";
        std::array<double, 4> position{};
        std::optional<std::array<double, 4>> moveTarget;  // an MDI move runs to here
        bool homing = false;
        int pollsLeft = 0;  // status polls until the move or the homing ends
        std::array<bool, 5> outputs{};
        std::string error;         // told by the next "get error"
        bool refuseMoves = false;  // G1 lines are refused (a limit, a fault)
    };

    static constexpr int kPollsPerMotion = 6;

    FakeRemoteShell();
    ~FakeRemoteShell();
    FakeRemoteShell(const FakeRemoteShell&) = delete;
    FakeRemoteShell& operator=(const FakeRemoteShell&) = delete;

    int port() const { return port_; }
    Machine machine();
    void change(const std::function<void(Machine&)>& change);
    // Every command line received, in order.
    std::vector<std::string> received();
    // The "set mdi" lines received, without "set mdi ".
    std::vector<std::string> mdiLines();
    // Closes the client's connection, as LinuxCNC does when it ends.
    void dropClient();

private:
    void serve();
    void serveClient(int client);
    std::string reply(const std::string& line);
    void runMdi(const std::string& line);

    std::mutex mutex_;
    Machine machine_;
    std::vector<std::string> received_;
    int listener_ = -1;
    int client_ = -1;
    int port_ = 0;
    bool verbose_ = false;
    std::thread thread_;
};
