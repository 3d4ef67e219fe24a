#include "app/open_packages.h"

#include <QDir>
#include <QFileInfo>

namespace kelvara::app {
namespace {

// `path` made absolute against `folder`, without "." components or doubled separators. ".."
// stays: behind a symbolic link it does not simply cancel the component before it.
QString AbsolutePath(const QString& path, const QString& folder) {
    const QString joined = QDir::isAbsolutePath(path) ? path : folder + QLatin1Char('/') + path;
    QStringList kept;
    for (const QString& part : joined.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part != QLatin1String("."))
            kept << part;
    }
    QString result = QLatin1Char('/') + kept.join(QLatin1Char('/'));
    // A trailing separator says "folder": keep it so the copy fails on it as it should.
    if (path.endsWith(QLatin1Char('/')) && !result.endsWith(QLatin1Char('/')))
        result += QLatin1Char('/');
    return result;
}

}  // namespace

OpenArguments ParseOpenArguments(const QStringList& arguments, const QString& currentFolder) {
    OpenArguments parsed;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-'))) {
            if (parsed.unknownOption.isEmpty())
                parsed.unknownOption = argument;
        } else if (!argument.isEmpty()) {
            parsed.paths << AbsolutePath(argument, currentFolder);
        }
    }
    return parsed;
}

QString UnknownOptionText(const QString& option) {
    return QStringLiteral(
               "kelvara: unknown option \"%1\"\nusage: kelvara [--help | --version] "
               "[QT-OPTION...] [--] [FILE.wgt...]\n")
        .arg(option);
}

QStringList DroppedPackagePaths(const QList<QUrl>& urls) {
    QStringList paths;
    for (const QUrl& url : urls) {
        // "file://host/..." names a file on another machine, not the local path "/...".
        const QString host = url.host();
        if (!url.isLocalFile() || !(host.isEmpty() || host == QLatin1String("localhost")))
            return {};
        // toLocalFile() would turn "file://localhost/x" into "//localhost/x".
        const QString path = url.path(QUrl::FullyDecoded);
        if (!QFileInfo(path).fileName().endsWith(QLatin1String(".wgt"), Qt::CaseInsensitive))
            return {};
        paths << path;
    }
    return paths;
}

}  // namespace kelvara::app
