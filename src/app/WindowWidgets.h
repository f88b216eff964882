#pragma once

class QLineEdit;
class QWidget;

// Small pieces every window shares.

// An edit box shows a refused or unparsable value in red, an accepted one in the window colour.
void MarkEdit(QLineEdit* edit, bool accepted);

// Settings windows open at the top right corner of the screen.
void PlaceAtTopRight(QWidget* window);
