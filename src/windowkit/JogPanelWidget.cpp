#include "windowkit/JogPanelWidget.h"

#include <QGridLayout>
#include <QPushButton>

#include "context/MachineSequence.h"
#include "context/ProgramContext.h"

JogPanelWidget::JogPanelWidget(ProgramContext& context, Options options, QWidget* parent)
    : QGroupBox("Jog Control", parent), context_(context), options_(std::move(options)) {
    setObjectName("GroupBoxJogControl");
    auto* grid = new QGridLayout(this);
    grid->setSpacing(2);
    addAxisRow(0, AxisX, "X", "ButtonJogX");
    addAxisRow(1, AxisY, "Y", "ButtonJogY");
    addAxisRow(2, AxisZ, "Z", "ButtonJogZ");
    if (options_.withA) {
        addAxisRow(3, AxisA, "A", "ButtonJogA");
    }
}

JogPanelWidget* JogPanelWidget::forSettingsWindow(ProgramContext& context, AButtons aButtons,
                                                  QWidget* parent) {
    Options options;
    options.withA = aButtons != AButtons::None;
    if (aButtons == AButtons::MotorStep) {
        options.fineAStep = [&context] { return motorStepA(context); };
    } else {
        options.fineAStep = [] { return 0.1; };
    }
    options.refresh = [&context] { context.port.updateStatus(); };
    return new JogPanelWidget(context, std::move(options), parent);
}

double JogPanelWidget::motorStepA(const ProgramContext& context) {
    return 360.0 / context.settings.aStepsPerRev;
}

void JogPanelWidget::addAxisRow(int row, Axis axis, const QString& letter,
                                const QString& fineName) {
    const bool angular = axis == AxisA;
    const auto fine = [this, angular] { return angular ? options_.fineAStep() : kJogStep; };
    const QString coarse = "Button" + letter;  // ButtonXPlus1, ButtonXMinus10, ...
    addButton(row, 0, coarse + "Minus10", letter + "-10", [this, axis] { jog(axis, -10); });
    addButton(row, 1, coarse + "Minus1", letter + "-1", [this, axis] { jog(axis, -1); });
    addButton(row, 2, fineName + "Minus", letter + "-", [this, axis, fine] { jog(axis, -fine()); });
    addButton(row, 3, fineName + "Plus", letter + "+", [this, axis, fine] { jog(axis, fine()); });
    addButton(row, 4, coarse + "Plus1", letter + "+1", [this, axis] { jog(axis, 1); });
    addButton(row, 5, coarse + "Plus10", letter + "+10", [this, axis] { jog(axis, 10); });
}

void JogPanelWidget::addButton(int row, int column, const QString& name, const QString& caption,
                               std::function<void()> jog) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::NoFocus);  // Enter in an edit box must not jog
    connect(button, &QPushButton::clicked, this, std::move(jog));
    static_cast<QGridLayout*>(layout())->addWidget(button, row, column);
}

void JogPanelWidget::jog(Axis axis, double step) {
    AxisPosition& delta = context_.cnc.JogDelta;
    delta = AxisPosition{};
    (axis == AxisX ? delta.X : axis == AxisY ? delta.Y : axis == AxisZ ? delta.Z : delta.A) = step;
    // A jog beyond a limit stops at the limit, silently.
    RunSequence(context_, [this] { context_.cnc.JogMove(); });
    if (options_.refresh) {
        options_.refresh();
    }
}

void JogPanelWidget::refreshEnabled() {
    setEnabled(Usable(context_));
}
