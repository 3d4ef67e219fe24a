// Which packages the program is asked to open: the file arguments of the command line and the
// files dropped onto the collection list. Both go through the add command.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace kelvara::app {

struct OpenArguments {
    // The package paths in the order given, absolute.
    QStringList paths;
    // The first argument that looks like an option but is none; empty when there is none.
    QString unknownOption;
};

// Sorts the arguments left after Qt took its own options (program name excluded). Every
// argument before a "--" that starts with "-" is an unknown option (--help and --version are
// answered before Qt starts); every other argument is a path, taken relative to
// `currentFolder` unless it is absolute.
OpenArguments ParseOpenArguments(const QStringList& arguments, const QString& currentFolder);

// The usage error for an unknown option, as written to standard error (ends with a newline).
QString UnknownOptionText(const QString& option);

// The local paths of dropped URLs when every one names a local file whose name ends in ".wgt"
// (in any letter case); empty when there is none or any other URL among them (a remote file,
// a folder URL ending in "/", another file type): such a drop is refused as a whole.
QStringList DroppedPackagePaths(const QList<QUrl>& urls);

}  // namespace kelvara::app
