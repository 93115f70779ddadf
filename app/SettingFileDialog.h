// The file dialog of the setting-file commands, of the main window and Card Check alike.
#pragma once

#include <QString>

class QWidget;

// Asks for a setting file to save, a bare name taking ".ini" as Load lists
// it, or to load. It starts where the last setting file was saved or loaded,
// in this run or an earlier one, else in the user's documents: never in the
// program's own folder, where a user may not write. Empty when cancelled.
QString AskSettingFile(QWidget* parent, const QString& title, bool save);
