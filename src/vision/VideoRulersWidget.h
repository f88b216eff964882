#pragma once

#include <QColor>
#include <optional>

#include "vision/VideoRulers.h"

class QRect;
class QWidget;

// The overlay panels of a camera picture as children of `parent`: PanelVideoCrossHairXSmall,
// PanelVideoCrossHairYSmall (red) and the millimetre ticks PanelV1..PanelV30, PanelH1..PanelH30
// (yellow). They let clicks through to the picture.
void CreateRulerPanels(QWidget* parent);

// A 1-pixel line of `colour` named `name`, letting clicks through.
QWidget* CreateOverlayLine(QWidget* parent, const QString& name, const QColor& colour);

// Moves the cross-hair lines over the centre of `picture` and shows them above it.
void PlaceCrossHairs(QWidget* horizontal, QWidget* vertical, const QRect& picture);

// Moves the ruler panels of `parent` to `layout` (the cross-hair lines are the caller's);
// hides them when there is no layout.
void PlaceRulerPanels(QWidget* parent, const std::optional<RulerLayout>& layout);
