#pragma once

#include <QGroupBox>
#include <functional>

struct ProgramContext;

// The "Jog Control" group that every position-teaching window carries: fine, 1 mm and 10 mm
// steps on X, Y and Z, and optionally fine, 1° and 10° steps on A. Each press makes one
// relative machine-frame move at the jog speed within the soft limits, then refreshes.
class JogPanelWidget : public QGroupBox {
    Q_OBJECT

public:
    // The fine jog distance on X, Y and Z.
    static constexpr double kJogStep = 0.025;

    struct Options {
        bool withA = false;
        // The fine A step in degrees, read at each press (it may follow a setting).
        std::function<double()> fineAStep;
        // Runs after every jog (the window's read-out refresh).
        std::function<void()> refresh;
    };

    // The A buttons of a settings window's panel: none, one motor step or a tenth of a degree
    // for the fine step.
    enum class AButtons { None, MotorStep, TenthDegree };

    JogPanelWidget(ProgramContext& context, Options options, QWidget* parent = nullptr);

    // A settings window's panel: refreshes the main window's read-out after each jog.
    static JogPanelWidget* forSettingsWindow(ProgramContext& context, AButtons aButtons,
                                             QWidget* parent);
    // One motor step of the A axis in degrees (360 / "A Steps Per Rev").
    static double motorStepA(const ProgramContext& context);

    // Enabled only while the machine is usable.
    void refreshEnabled();

private:
    enum Axis { AxisX, AxisY, AxisZ, AxisA };
    void addAxisRow(int row, Axis axis, const QString& letter, const QString& fineName);
    void addButton(int row, int column, const QString& name, const QString& caption,
                   std::function<void()> jog);
    void jog(Axis axis, double step);

    ProgramContext& context_;
    Options options_;
};
