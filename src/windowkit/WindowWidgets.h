#pragma once

class QLabel;
class QString;
class QWidget;

// Small pieces every window shares.

// The colour of an edit box that validates what is typed: red (255, 0, 0) while the text is
// refused, the normal colours of its kind once accepted (the field of an edit box, the button
// face of a drop-down list).
void ShowEditVerdict(QWidget* box, bool accepted);

// Settings windows open at the top right corner of the screen (its work area), at least at the
// size their layout asks for, so that every control shows. Call it on show: it keeps the corner
// while the window system frames and sizes the new window.
void PlaceAtTopRight(QWidget* window);

// Shows the snap picture at `path` in `picture` (scaled down to fit `fit` pixels square when
// `fit` > 0) with the `noSnap` placeholder hidden; without a readable picture there, hides
// `picture` and shows `noSnap`. True when a snap is shown.
bool ShowSnapOrPlaceholder(QLabel* picture, QLabel* noSnap, const QString& path, int fit = 0);
