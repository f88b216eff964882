#pragma once

#include <cstdint>

namespace motrix_sim {

// The status bytes the simulated controller answers. 235, 236 and 237 are the ones the
// program relies on; the others only need to be distinct and to map to "refused".
inline constexpr std::uint8_t kStatusNotFound = 0;
inline constexpr std::uint8_t kStatusMoving = 200;
inline constexpr std::uint8_t kStatusAccepted = 235;
inline constexpr std::uint8_t kStatusMotionComplete = 236;
inline constexpr std::uint8_t kStatusSendAgain = 237;
inline constexpr std::uint8_t kStatusRefused = 240;
inline constexpr std::uint8_t kStatusRefusedUnderStop = 241;
inline constexpr std::uint8_t kStatusNotConnected = 242;
inline constexpr std::uint8_t kStatusNoAnswer = 243;  // the controller did not answer the call

// True when the controller answered the call and its out values were written.
inline bool answered(std::uint8_t status) {
    return status != kStatusNotConnected && status != kStatusNoAnswer;
}

}  // namespace motrix_sim
