// Dialog templates, string table and dialog units. The templates are data
// (res/dialogs/<number>.json, compiled into the program as Qt resources).
// Their "name" fields are for the code's resource.h, not read here.
#pragma once

#include <QFont>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <span>
#include <string>

enum class ControlKind {
    Static,       // text label
    Icon,         // static showing an icon resource
    GroupBox,
    PushButton,
    DefPushButton,
    AutoRadio,
    Edit,
    MultiLineEdit,
    DropDownList, // combo box, drop-down list style
};

struct ControlTemplate {
    int id = -1;
    ControlKind kind = ControlKind::Static;
    QRect dlu;           // position and size in dialog units
    QString text;        // caption; for Icon the icon resource number
    bool groupStart = false;
    bool tabStop = false;
    bool hidden = false;
    bool disabled = false;
    bool border = false;
    bool autoHScroll = false;
    bool vScroll = false;
    bool numbersOnly = false;
    bool readOnly = false;
    bool noPrefix = false;
};

struct DialogTemplate {
    int id = 0;
    QSize dluSize;
    QString fontFace;
    int pointSize = 8;
    QString caption;
    bool systemMenu = false;
    QList<ControlTemplate> controls;  // template order
};

// Loads template `id`; throws std::runtime_error naming the template when it
// is missing or malformed (a build fault, not user input).
const DialogTemplate& LoadTemplate(int id);

// Why the templates `ids` or the string table cannot be used, naming the
// first that cannot and what is wrong with it; empty when all load. Run at
// start, so that a broken build says so instead of failing in a handler.
std::string ResourceProblem(std::span<const int> ids);

// The text of control `id` in template `templateId`, in the user's
// language; empty when absent.
QString TemplateText(int templateId, int id);

// A template's caption or string table entry in the user's language.
QString TemplateTr(const QString& text);

// String table entry `id`, in the user's language; empty when absent.
QString LoadString(int id);

// The template's font as the toolkit can render it (falls back to a
// system face with CJK coverage when the named face is absent).
QFont TemplateFont(const DialogTemplate& t);
// Makes the application's font, which message boxes and tool tips take, one
// drawn as itself, as the templates' fonts are: a plain Wine prefix draws
// the system's message and tip faces in a serif one.
void UseDrawnFaces();

// Dialog base units of a font: average character width of the 52 Latin
// letters (rounded) and the character height, in pixels.
QSize DialogBaseUnits(const QFont& font);

// Dialog units to pixels: x * cx / 4, y * cy / 8, each rounded as the
// platform's MapDialogRect does (MulDiv: to nearest).
QRect DluToPixels(const QRect& dlu, const QSize& baseUnits);
