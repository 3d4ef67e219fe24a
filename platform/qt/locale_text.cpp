#include "platform/qt/locale_text.h"

#include <QCollator>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include "platform/dos_time.h"

namespace kelvara::platform {
namespace {

QString LongTimeFormatWithoutZone() {
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    // "t" is the time-zone field; drop it with the blanks around it.
    format.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b\\s*")));
    return format.trimmed();
}

}  // namespace

std::string DateText(time_t modified) {
    time_t t = RoundToDosResolution(modified);
    QDateTime dt = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(t));
    QLocale locale = QLocale::system();
    QString text = locale.toString(dt.date(), QLocale::ShortFormat);
    QTime time = dt.time();
    if (time != QTime(0, 0, 0))
        text += QLatin1Char(' ') + locale.toString(time, LongTimeFormatWithoutZone());
    return text.toStdString();
}

int CollateCompare(const std::string& a, const std::string& b) {
    static const QCollator collator(QLocale::system());
    return collator.compare(QString::fromStdString(a), QString::fromStdString(b));
}

}  // namespace kelvara::platform
