#include "framework/Template.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <limits>
#include <map>
#include <stdexcept>
#include <utility>

namespace {

// Installed by the build scripts; covers the templates' Chinese captions.
const QString kCjkFallbackFace = QStringLiteral("WenQuanYi Micro Hei");

[[noreturn]] void Fail(const QString& what, const QString& why)
{
    throw std::runtime_error(QStringLiteral("%1: %2").arg(what, why).toStdString());
}

QJsonObject ReadJsonObject(const QString& path, const QString& what)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Fail(what, QStringLiteral("missing"));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        Fail(what, error.errorString());
    if (!doc.isObject())
        Fail(what, QStringLiteral("not a JSON object"));
    return doc.object();
}

int IntField(const QJsonObject& o, const QString& key, const QString& what)
{
    constexpr int kNotInt = std::numeric_limits<int>::min();
    const int n = o.value(key).toInt(kNotInt);
    if (n == kNotInt)
        Fail(what, QStringLiteral("\"%1\" is not an integer").arg(key));
    return n;
}

QString TextField(const QJsonObject& o, const QString& key, const QString& what)
{
    const QJsonValue v = o.value(key);
    if (!v.isUndefined() && !v.isString())
        Fail(what, QStringLiteral("\"%1\" is not a string").arg(key));
    return v.toString();
}

QStringList StringList(const QJsonObject& o, const QString& key, const QString& what)
{
    const QJsonValue v = o.value(key);
    if (!v.isUndefined() && !v.isArray())
        Fail(what, QStringLiteral("\"%1\" is not a list").arg(key));
    QStringList list;
    for (const QJsonValue& item : v.toArray()) {
        if (!item.isString())
            Fail(what, QStringLiteral("\"%1\" holds a non-string").arg(key));
        list << item.toString();
    }
    return list;
}

ControlKind ParseKind(const QString& name, const QString& what)
{
    static const std::pair<const char*, ControlKind> kinds[] = {
        {"static", ControlKind::Static},
        {"icon", ControlKind::Icon},
        {"groupBox", ControlKind::GroupBox},
        {"pushButton", ControlKind::PushButton},
        {"defPushButton", ControlKind::DefPushButton},
        {"autoRadio", ControlKind::AutoRadio},
        {"edit", ControlKind::Edit},
        {"multiLineEdit", ControlKind::MultiLineEdit},
        {"dropDownList", ControlKind::DropDownList},
    };
    for (const auto& [key, kind] : kinds)
        if (name == QLatin1String(key))
            return kind;
    Fail(what, QStringLiteral("unknown kind \"%1\"").arg(name));
}

void SetFlag(ControlTemplate& c, const QString& name, const QString& what)
{
    static const std::pair<const char*, bool ControlTemplate::*> flags[] = {
        {"groupStart", &ControlTemplate::groupStart},
        {"tabStop", &ControlTemplate::tabStop},
        {"hidden", &ControlTemplate::hidden},
        {"disabled", &ControlTemplate::disabled},
        {"border", &ControlTemplate::border},
        {"autoHScroll", &ControlTemplate::autoHScroll},
        {"vScroll", &ControlTemplate::vScroll},
        {"numbersOnly", &ControlTemplate::numbersOnly},
        {"readOnly", &ControlTemplate::readOnly},
        {"noPrefix", &ControlTemplate::noPrefix},
    };
    for (const auto& [key, member] : flags) {
        if (name == QLatin1String(key)) {
            c.*member = true;
            return;
        }
    }
    Fail(what, QStringLiteral("unknown flag \"%1\"").arg(name));
}

ControlTemplate ParseControl(const QJsonValue& value, const QString& dialog, qsizetype index)
{
    QString what = QStringLiteral("%1, control %2").arg(dialog).arg(index);
    if (!value.isObject())
        Fail(what, QStringLiteral("not a JSON object"));
    const QJsonObject o = value.toObject();
    ControlTemplate c;
    c.id = IntField(o, QStringLiteral("id"), what);
    what = QStringLiteral("%1, control %2").arg(dialog).arg(c.id);
    c.kind = ParseKind(TextField(o, QStringLiteral("kind"), what), what);
    c.dlu = QRect(IntField(o, QStringLiteral("x"), what), IntField(o, QStringLiteral("y"), what),
                  IntField(o, QStringLiteral("w"), what), IntField(o, QStringLiteral("h"), what));
    if (c.dlu.width() < 0 || c.dlu.height() < 0)
        Fail(what, QStringLiteral("negative size"));
    c.text = TextField(o, QStringLiteral("text"), what);
    for (const QString& flag : StringList(o, QStringLiteral("flags"), what))
        SetFlag(c, flag, what);
    return c;
}

DialogTemplate ParseTemplate(int id)
{
    const QString what = QStringLiteral("dialog template %1").arg(id);
    const QJsonObject o = ReadJsonObject(QStringLiteral(":/res/dialogs/%1.json").arg(id), what);
    DialogTemplate t;
    t.id = IntField(o, QStringLiteral("id"), what);
    if (t.id != id)
        Fail(what, QStringLiteral("holds template %1").arg(t.id));
    t.dluSize = QSize(IntField(o, QStringLiteral("width"), what), IntField(o, QStringLiteral("height"), what));
    t.fontFace = TextField(o, QStringLiteral("font"), what);
    t.pointSize = IntField(o, QStringLiteral("pointSize"), what);
    if (t.dluSize.width() <= 0 || t.dluSize.height() <= 0 || t.pointSize <= 0)
        Fail(what, QStringLiteral("size or point size not positive"));
    t.caption = TextField(o, QStringLiteral("caption"), what);
    t.systemMenu = o.value(QStringLiteral("systemMenu")).toBool();
    const QJsonValue controls = o.value(QStringLiteral("controls"));
    if (!controls.isArray())
        Fail(what, QStringLiteral("\"controls\" is not a list"));
    const QJsonArray list = controls.toArray();
    for (qsizetype i = 0; i < list.size(); ++i)
        t.controls << ParseControl(list[i], what, i);
    return t;
}

const QJsonObject& StringTable()
{
    static const QJsonObject table =
        ReadJsonObject(QStringLiteral(":/res/strings.json"), QStringLiteral("string table"));
    return table;
}

// a * b / c rounded to nearest, halves away from zero, as the platform's MulDiv.
int Scale(int a, int b, int c)
{
    const qint64 product = qint64(a) * b;
    return int((product + (product < 0 ? -c : c) / 2) / c);
}

}  // namespace

const DialogTemplate& LoadTemplate(int id)
{
    // std::map keeps handed-out references valid as templates are added.
    static std::map<int, DialogTemplate> cache;
    auto it = cache.find(id);
    if (it == cache.end())
        it = cache.emplace(id, ParseTemplate(id)).first;
    return it->second;
}

QString TemplateText(int templateId, int id)
{
    for (const ControlTemplate& c : LoadTemplate(templateId).controls)
        if (c.id == id)
            return TemplateTr(c.text);
    return {};
}

std::string ResourceProblem(std::span<const int> ids)
{
    try {
        for (int id : ids)
            LoadTemplate(id);
        StringTable();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return {};
}

QString TemplateTr(const QString& text)
{
    return text.isEmpty() ? text : QCoreApplication::translate("Templates", text.toUtf8().constData());
}

QString LoadString(int id)
{
    return TemplateTr(StringTable().value(QString::number(id)).toObject().value(QStringLiteral("text")).toString());
}

namespace {

// The first of `preferred`, then of the system's own dialog face and faces
// most systems have, that is drawn as itself.
QString DrawnFace(std::initializer_list<QString> preferred)
{
    // A face counts only where it is drawn as itself: a Wine prefix lists the
    // logical "MS Shell Dlg" yet draws it in whatever face comes first (a math
    // face whose single-line edits show nothing). Asked once per face: each
    // answer costs a lookup through the font configuration's aliases.
    static std::map<QString, bool> usable;
    const auto drawnAsItself = [](const QString& face) {
        static const QString unknown = QFontInfo(QFont(QStringLiteral("tavelin-no-such-face"))).family();
        return QFontInfo(QFont(face)).family() != unknown || face.compare(unknown, Qt::CaseInsensitive) == 0;
    };
    const auto isUsable = [&](const QString& face) {
        auto it = usable.find(face);
        if (it == usable.end())
            it = usable.emplace(face, QFontDatabase::hasFamily(face) && drawnAsItself(face)).first;
        return it->second;
    };
    for (const QString& face : preferred)
        if (isUsable(face))
            return face;
    for (const QString& face : {QFontDatabase::systemFont(QFontDatabase::GeneralFont).family(),
                                QStringLiteral("Segoe UI"), QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")})
        if (isUsable(face))
            return face;
    return {};
}

}  // namespace

QFont TemplateFont(const DialogTemplate& t)
{
    QFont font;
    if (const QString face = DrawnFace({t.fontFace, kCjkFallbackFace}); !face.isEmpty())
        font.setFamily(face);
    font.setPointSize(t.pointSize);
    return font;
}

void UseDrawnFaces()
{
    QFont font = QApplication::font();
    if (const QString face = DrawnFace({font.family()}); !face.isEmpty())
        font.setFamily(face);
    // Without a class name this also drops the platform's own fonts for
    // message boxes, tool tips and menus: they take this one.
    QApplication::setFont(font);
}

QSize DialogBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int width =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(width / 26 + 1) / 2, metrics.height()};
}

QRect DluToPixels(const QRect& dlu, const QSize& baseUnits)
{
    const int cx = baseUnits.width();
    const int cy = baseUnits.height();
    return {Scale(dlu.x(), cx, 4), Scale(dlu.y(), cy, 8), Scale(dlu.width(), cx, 4),
            Scale(dlu.height(), cy, 8)};
}
