#include "support/widgets/DemoWindowFixture.h"

#include <QApplication>
#include <QDialog>
#include <QJsonDocument>
#include <QTimer>
#include <stdexcept>

namespace {

// How far from where it belongs a placed part may land: its pad's copper is wider.
constexpr double kPlacementTolerance = 0.3;
// Steps around the up-looking camera's axis where a held part is turned and centred low.
constexpr int kCameraRadiusSteps = 3 * 79;

}  // namespace

DemoWindow::DemoWindow() {
    if (!context->project.ProjectOpen) {
        throw std::runtime_error("the first start opened no demo project");
    }
    startUp();
    window->hide();  // nothing painted
    person.calls.clear();
    const MotrixCNC& cnc = context->cnc;
    const auto head = cnc.toSteps(cnc.CommandedX, cnc.CommandedY, cnc.CommandedZ, 0);
    logStart_ = {head[0], head[1], head[2]};
}

void DemoWindow::enableOnly(const QStringList& designators) {
    for (PartRec& part : context->project.Parts) {
        part.Enabled = designators.contains(part.Designator);
    }
    window->updatePartList();
}

int DemoWindow::partNumber(const QString& designator) const {
    const QList<PartRec>& parts = context->project.Parts;
    for (int index = 0; index < parts.size(); ++index) {
        if (parts[index].Designator == designator) {
            return index + 1;
        }
    }
    throw std::invalid_argument("no part " + designator.toStdString());
}

void DemoWindow::inWindow(const std::function<void()>& open,
                          const std::function<void(QDialog&)>& operate) {
    // The person operates the window once it is on screen and ready: enabled, so no sequence of
    // its own (the opening's) still runs.
    bool operated = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        auto* shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (operated || !shown || !shown->isVisible() || !shown->isEnabled()) {
            return;
        }
        look.stop();
        operated = true;
        operate(*shown);
        shown->accept();
    });
    look.start(5);
    open();
    if (!operated) {
        throw std::runtime_error("no window opened");
    }
}

QStringList DemoWindow::runFaults(const std::set<Pad>& expected) const {
    const MachineSettings& s = context->settings;
    const MotrixCNC& cnc = context->cnc;
    const auto camera = cnc.toSteps(s.uplookingCameraX + cnc.HomeOffsetX,
                                    s.uplookingCameraY + cnc.HomeOffsetY, 0, 0);
    return PlacementFaults(DropsOf(sim), expected, kPlacementTolerance) +
           LowCarryFaults(sim.commands(), logStart_, {camera[0], camera[1]}, kCameraRadiusSteps);
}

QJsonObject DemoWindow::worldState() const {
    return QJsonDocument::fromJson(QByteArray::fromStdString(sim.worldState())).object();
}
