#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace melo {

class Dialogs;

// What the programs hand to the desktop: web pages and folders open in the user's
// own applications (the help pages in the program's own window); the other
// program starts beside this one.

// Opens a web address or a local file (a path) with the desktop's default
// application. False when the desktop could not be asked.
bool OpenWithDesktop(const QString& addressOrPath);

// Shows a page of the program's own help (a file under the content folder, e.g.
// "help/melobank.html") in the program's help window, at `section` when one is
// given; the window belongs to `owner`'s window. False after telling the user
// "Не найден файл: <path>" when the page is missing.
bool ShowHelpPage(const QString& page, const QString& section, Dialogs& dialogs, QWidget* owner = nullptr);

// Starts `programName` from this program's folder, detached, so it outlives us.
bool StartProgramBeside(const QString& programName, const QStringList& arguments = {});

// Starts this program anew with its arguments and asks the running one to quit.
bool RestartProgram();

}  // namespace melo
