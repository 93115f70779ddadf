// Dialogs and pages built from the resource templates under res/, and the
// few control operations the program's logic uses. Controls are addressed
// by their template ID; each control's objectName is that ID in decimal and
// each dialog's or page's objectName is its template number.
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <functional>

#include "Template.h"

// The operations on a window's controls. Unknown IDs are ignored (reads
// give false, -1, empty or 0), as the platform's calls do.
class DlgItems {
public:
    QWidget* Item(int id) const;

    bool IsChecked(int id) const;
    void SetCheck(int id, bool checked);
    int SelectedIndex(int id) const;
    void SetSelectedIndex(int id, int index);
    void AddString(int id, const QString& text);  // combo items

    QString ItemText(int id) const;
    // Text as 8-bit characters in the locale's code page.
    QByteArray ItemText8(int id) const;
    // Signed integer read as the platform's dialog-item integer read does;
    // text that is not a number gives 0.
    int ItemInt(int id) const;
    void SetItemText(int id, const QString& text);
    void LimitText(int id, int maxChars);

    void EnableItem(int id, bool enabled);
    void ShowItem(int id, bool visible);
    // Focus, select the whole text, bring the caret into view.
    void FocusAndSelectAll(int id);
    // Label `labelId` becomes the one label of control `id`: a screen reader
    // names the control with its text, and its mnemonic leads there. Needed
    // where the template's order puts another label just before the control.
    void LabelItem(int id, int labelId);

    // Message map: run `handler` when the button `id` is clicked.
    void OnClicked(int id, std::function<void()> handler);

protected:
    // Builds the controls of template `templateId` inside `root` and sizes
    // `root` to the template.
    void Build(QWidget* root, int templateId);
    // Widens each list to its longest item where there is room; run once the
    // window has initialised, when the lists hold their items.
    void FitLists();
    const DialogTemplate& Template() const { return m_template; }
    QWidget* Root() const { return m_root; }

private:
    QWidget* m_root = nullptr;
    DialogTemplate m_template;
};

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

// A page of a tabbed sheet on a template. OnInitDialog runs once, the first
// time the page is shown, or at once through Initialise().
class Page : public QWidget, public DlgItems {
public:
    explicit Page(int templateId, QWidget* parent = nullptr);
    QString TemplateCaption() const { return Template().caption; }
    void Initialise();
    bool IsInitialised() const { return m_initialised; }

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

// The platform's message box: `text` under `caption` with an OK button,
// modal to `owner`, wide enough to show the whole caption.
void MessageBoxOk(QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon);

// Waits `ms` milliseconds, blocking the calling (user-interface) thread:
// input arriving meanwhile is queued and handled afterwards, in order.
void Wait(int ms);
// Tests replace the wait; nullptr restores the real one.
void SetWaitHook(std::function<void(int)> hook);

// Shows the wait cursor for as long as it lives.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// The dialog-item integer read on a text: leading white space, an optional
// minus sign, decimal digits, trailing white space; anything else, or a
// value outside 32 bits, gives 0 with `ok` false.
int ParseDlgInt(const QString& text, bool* ok = nullptr);
