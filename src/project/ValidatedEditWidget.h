#pragma once

class QWidget;

// The colour of an edit box that validates what is typed: red (255, 0, 0) while the text is
// refused, the normal colours of its kind once accepted.
void ShowEditVerdict(QWidget* box, bool accepted);
