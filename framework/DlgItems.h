// The controls of a window built from a resource template under res/, and
// the few operations the program's logic uses on them. Controls are addressed
// by their template ID; each control's objectName is that ID in decimal and
// each dialog's or page's objectName is its template number.
#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>
#include <functional>

#include "framework/Template.h"

// The operations on a window's controls. Every one stops the program on an
// ID the template lacks or a control of a kind it cannot work, as Control does:
// the IDs are the code's own, so either is a mistake to see at once.
class DlgItems {
public:
    // Control `id` as the kind `W` the caller works with. An ID the template
    // lacks, or a control of another kind, is a fault in the code: it stops
    // the program naming the template, the ID and both kinds. qFatal, not an
    // exception, since most callers run inside Qt's event handlers, which
    // exceptions must not leave.
    template <class W = QWidget>
    W& Control(int id) const
    {
        QWidget* w = Item(id);
        if (auto* control = qobject_cast<W*>(w))
            return *control;
        WrongControl(id, W::staticMetaObject.className(), w);
    }
    // Control `id`, or null where there is none.
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
    // Takes template `templateId` for `root`: its number, font and size.
    void UseTemplate(QWidget* root, int templateId);
    // Builds the template's controls inside the root, once.
    void BuildControls();
    // Widens each list to its longest item where there is room; run once the
    // window has initialised, when the lists hold their items.
    void FitLists();
    const DialogTemplate& Template() const { return m_template; }
    QWidget* Root() const { return m_root; }

private:
    [[noreturn]] void WrongControl(int id, const char* wanted, const QWidget* found) const;
    static void GrowToFit(QWidget* w);

    QWidget* m_root = nullptr;
    DialogTemplate m_template;
    QSize m_units;  // dialog base units of the template's font
};

// The dialog-item integer read on a text: leading white space, an optional
// minus sign, decimal digits, trailing white space; anything else, or a
// value outside 32 bits, gives 0 with `ok` false.
int ParseDlgInt(const QString& text, bool* ok = nullptr);
