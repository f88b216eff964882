#include "vision/VideoRulersWidget.h"

#include <QWidget>

namespace {

QString tickName(char family, int index) {
    return QString("Panel%1%2").arg(family).arg(index + 1);
}

void place(QWidget* parent, const QString& name, const std::optional<QRect>& where) {
    if (QWidget* panel = parent->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly)) {
        if (where) {
            panel->setGeometry(*where);
            panel->raise();
        }
        panel->setVisible(where.has_value());
    }
}

}  // namespace

QWidget* CreateOverlayLine(QWidget* parent, const QString& name, const QColor& colour) {
    auto* line = new QWidget(parent);
    line->setObjectName(name);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    line->setEnabled(false);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->hide();
    return line;
}

void CreateRulerPanels(QWidget* parent) {
    CreateOverlayLine(parent, "PanelVideoCrossHairXSmall", Qt::red);
    CreateOverlayLine(parent, "PanelVideoCrossHairYSmall", Qt::red);
    for (int index = 0; index < 2 * RulerLayout::kTicksPerSide; ++index) {
        CreateOverlayLine(parent, tickName('V', index), Qt::yellow);
        CreateOverlayLine(parent, tickName('H', index), Qt::yellow);
    }
}

void PlaceCrossHairs(QWidget* horizontal, QWidget* vertical, const QRect& picture) {
    const auto [horizontalLine, verticalLine] = CrossHairLines(picture);
    horizontal->setGeometry(horizontalLine);
    vertical->setGeometry(verticalLine);
    for (QWidget* line : {horizontal, vertical}) {
        line->show();
        line->raise();
    }
}

void PlaceRulerPanels(QWidget* parent, const std::optional<RulerLayout>& layout) {
    auto at = [&layout](auto member) -> std::optional<QRect> {
        if (!layout) {
            return std::nullopt;
        }
        return member(*layout);
    };
    place(parent, "PanelVideoCrossHairXSmall",
          at([](const RulerLayout& l) { return l.crossHairXSmall; }));
    place(parent, "PanelVideoCrossHairYSmall",
          at([](const RulerLayout& l) { return l.crossHairYSmall; }));
    for (int index = 0; index < 2 * RulerLayout::kTicksPerSide; ++index) {
        place(parent, tickName('V', index),
              at([index](const RulerLayout& l) { return l.v[index]; }));
        place(parent, tickName('H', index),
              at([index](const RulerLayout& l) { return l.h[index]; }));
    }
}
