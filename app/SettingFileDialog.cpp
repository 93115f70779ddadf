#include "app/SettingFileDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString kFolderKey = QStringLiteral("settingFolder");

QSettings Remembered()
{
    return QSettings(QSettings::UserScope, QStringLiteral("Tavelin"), QStringLiteral("tavelin"));
}

}  // namespace

QString AskSettingFile(QWidget* parent, const QString& title, bool save)
{
    QString folder = Remembered().value(kFolderKey).toString();
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QDir(folder).exists())
        folder = QDir::homePath();  // a desktop without a documents folder
    QFileDialog dialog(parent, title, folder,
                       QCoreApplication::translate("CTavelinDlg", "Setting files (*.ini);;All files (*)"));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The dialog asks before replacing the file of that name.
        dialog.setDefaultSuffix(QStringLiteral("ini"));
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().front();
    Remembered().setValue(kFolderKey, QFileInfo(path).absolutePath());
    return path;
}
