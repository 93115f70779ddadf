// Dialogs and pages built from the resource templates under res/.
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QString>
#include <QWidget>

#include "framework/DlgItems.h"

class QLabel;

// A modal dialog on a template. OnInitDialog runs once, just before the
// dialog is first shown. Button 1 runs accept() and button 2 reject(); Enter
// clicks the focused push button, else the default button, else accepts.
class Dialog : public QDialog, public DlgItems {
public:
    explicit Dialog(int templateId, QWidget* parent = nullptr);
    int DoModal();

protected:
    virtual bool OnInitDialog() { return true; }
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_initialised = false;
};

// A page of a tabbed sheet on a template. Until it is first shown, or
// Initialise() is called, it has only the template's size, which is what a
// sheet needs to size itself: then its controls are built and OnInitDialog
// runs, once. A page whose tab is never opened is never built.
class Page : public QWidget, public DlgItems {
public:
    explicit Page(int templateId, QWidget* parent = nullptr);
    void Initialise();

protected:
    virtual bool OnInitDialog() { return true; }
    void showEvent(QShowEvent* event) override;

private:
    bool m_initialised = false;
};

// Runs `dialog` modally. However it ends, its owner is made the active window
// again and the control that had the focus gets it back: not every window
// manager hands the activation back when a modal window closes.
int RunModal(QDialog& dialog);

// Text on the screen may hold what the program did not write: a file's line
// or name, a reader's version, a library's reason. Qt takes text that looks
// like HTML as rich text, where a tag shows a link or reads a picture from
// disk; so every message box, label and tip shows its text as it is, by the
// three below and the labels the templates make.

// The platform's message box: `text`, as plain text, under `caption` with an
// OK button, modal to `owner`, wide enough to show the whole caption.
void MessageBoxOk(QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon);

// A label that shows its text as plain text, for one a template does not make.
QLabel* PlainLabel(QWidget* parent);

// `text` as a tool tip, shown as it is: as rich text with its markup
// escaped, which Qt keeps on the screen, where a long plain line runs off its
// edge. Its lines are of a readable width (60 characters, at most a third of
// the screen) and break only between words: a path or a port name stays
// whole unless wider than the screen. Every tip goes through here.
QString ReasonTip(const QString& text);

// Shows `widget`'s tip just below it, and in a text box the tip of the text
// under the pointer just below its line (above, where the screen ends
// first): Qt's place, under the pointer, hides half of what it explains.
void ShowTipsBelow(QWidget* widget);

// Gives tips the colours of normal text: a style may draw them light grey.
void UseReadableTips();

// Shows the wait cursor for as long as it lives.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
