#pragma once

#include <QtGlobal>

class QAbstractButton;
class QPushButton;
class QWidget;
class TextResources;

// Window layouts hold text numbers in place of captions; a window's load step replaces them by
// their texts before the window is shown. A caption that is not a number stays as it is.
// Forms inside the window (child dialogs, MDI children) are left to their own load step.
void ApplyFormTexts(QWidget *window, const TextResources &texts);

// The same with the program's installed text resources.
void ApplyFormTexts(QWidget *window);

// Sizes a check box or option button to its (translated) caption measured with the window's
// font: caption + 22 px for the indicator, 6 px less for an access-key "&" that is not drawn,
// at most maximumWidth.
void FitCheckBoxWidth(QWidget *window, QAbstractButton *control, int maximumWidth);

// A command button named as its control, captioned by a text number. It is no automatic default:
// Enter goes to the window's own default command.
QPushButton *CommandButton(QWidget *parent, const char *name, qint16 caption);
