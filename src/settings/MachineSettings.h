#pragma once

#include <QString>
#include <array>
#include <cstdint>

// Every machine-wide setting, initialised to its default. Lengths in mm (machine frame unless
// noted home-relative), delays in seconds, speeds in controller steps per second.
struct MachineSettings {
    // "CNC Settings"
    int comPort = 1;
    bool dualYAxis = true;
    bool visualHome = true;
    int acceleration = 3000000;
    int maxStepsPerSecond = 65000;
    int startStepsPerSecond = 750;
    std::uint8_t scale = 64;
    int jogSpeed = 3000;
    double minimumXPosition = -5;
    double maximumXPosition = 405;
    double minimumYPosition = -5;
    double maximumYPosition = 350;
    double minimumZPosition = 0;
    double maximumZPosition = 35;
    double xStepsPerMM = 78.74015748;
    double yStepsPerMM = 78.74015748;
    double zStepsPerMM = 78.74015748;
    double aStepsPerRev = 8000;
    double homeZ = 0;
    // The controller: "MotrixAPI", the library in the program's folder, or "LinuxCNC", reached
    // through its remote shell at the host and port below. The library is bound at start-up.
    QString controller = QStringLiteral("MotrixAPI");
    QString linuxCncHost = QStringLiteral("127.0.0.1");
    int linuxCncPort = 5007;

    // "Home Settings"
    double home1X = 20;  // machine frame
    double home1Y = 20;
    double home1Z = 0;   // relative to homeZ
    double home2X = 20;  // home-relative
    double home2Y = 120;
    double home2Z = 0;
    double parkX = 0;  // home-relative
    double parkY = 0;

    // "Part Handling Settings"
    double placeZPush = 0.5;
    double pickDelay = 0.1;
    double placeDelay = 0.1;
    double actuatorOnDelay = 0.25;
    double actuatorOffDelay = 0.25;
    double blowDelay = 0;
    int fastPlaceSpeed = 35000;
    int mediumPlaceSpeed = 18000;
    int slowPlaceSpeed = 8000;
    std::array<double, 5> rejectTrayX{};  // home-relative, tray n at index n-1
    std::array<double, 5> rejectTrayY{};
    int pickRetryCount = 2;

    // "Camera Settings"
    QString cameraUpDeviceName;
    QString cameraUpFormatName;
    QString cameraDownDeviceName;
    QString cameraDownFormatName;
    // The cameras' identities (the port they are plugged into), which tell identical cameras
    // apart; the names above are the fallback when the identity is gone.
    QString cameraUpDeviceId;
    QString cameraDownDeviceId;
    double uplookingCameraViewWidthMM = 40;
    int uplookingCameraAngleTestLimit = 40;
    int uplookingCameraEnlargementMM = 6;
    double uplookingCameraX = 200;  // home-relative
    double uplookingCameraY = 200;
    double uplookingCameraZ = 0;
    double uplookingCameraSettlingDelay = 0.25;
    double downlookingCameraViewWidthMM = 40;
    double downlookingCameraSettlingDelay = 0.25;
    int downlookingCameraEnlargementMM = 6;
    double visionCorrelationLimit = 0.7;

    // "Nozzle Offset Settings"
    double nozzleOffsetX = 0;
    double nozzleOffsetY = 0;
    int nozzleNumber = 1;
    double nozzleCalibrationX = 0;
    double nozzleCalibrationY = 0;
    double nozzleCalibrationZ = 0;

    // "Nozzle Changer Settings"
    double nozzleHorizontal = 16;
    double nozzleUp = 10;
    double nozzleDown = 20;
    double nozzlePickDown = 0;
    int nozzleChangerSpeed = 3000;
    std::array<double, 8> nozzleX{};  // holder n at index n-1
    std::array<double, 8> nozzleY{};
    bool nozzleChangerEnabled = true;
    int nozzleChangerLocation = 0;

    // "Current Status"
    int currentNozzle = 0;
    bool visionTestMode = false;
    QString lastProjectPath;
    QString lastProjectName;

    bool operator==(const MachineSettings&) const = default;
};
