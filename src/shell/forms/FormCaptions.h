#pragma once

#include "shell/CaptionsBase.h"

#include <vector>

class QWidget;

namespace kulvera {

class Prompter;

// The texts of a form's named controls that a translator may change: the
// texts of buttons, check boxes, group boxes, actions, tab pages and field
// labels (a label with a buddy), and the tool tips of widgets. Texts that
// show data (plain labels, window titles) are left to the form's code.
std::vector<CaptionRow> collectCaptions(const QWidget *form);
// Puts the rows' texts on the controls of the same objectName; a control the
// form does not have is skipped. Returns how many controls took a text.
int applyCaptions(QWidget *form, const std::vector<CaptionRow> &rows);

// The language support of a form as it opens: the captions of its table are
// applied. A form that has no table yet gives its own texts as its table
// (the captions base is generated from the forms themselves, at each form's
// first opening), so the translator finds every opened form in one place.
void applyLanguage(QWidget *form, CaptionsBase &captions, Prompter &prompter);

} // namespace kulvera
