#include "platform/qt/locale_text.h"

#include <QCollator>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <numeric>

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
    // The locale and its formats are fixed for the run; working them out (a regular
    // expression among them) for every row of a large collection cost more than the rest of
    // the scan.
    static const QLocale locale = QLocale::system();
    static const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    static const QString timeFormat = LongTimeFormatWithoutZone();
    time_t t = RoundToDosResolution(modified);
    QDateTime dt = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(t));
    QString text = locale.toString(dt.date(), dateFormat);
    QTime time = dt.time();
    if (time != QTime(0, 0, 0))
        text += QLatin1Char(' ') + locale.toString(time, timeFormat);
    return text.toStdString();
}

int CollateCompare(const std::string& a, const std::string& b) {
    static const QCollator collator(QLocale::system());
    return collator.compare(QString::fromStdString(a), QString::fromStdString(b));
}

std::vector<size_t> CollationOrder(const std::vector<std::string>& texts) {
    static const QCollator collator(QLocale::system());
    std::vector<QCollatorSortKey> keys;
    keys.reserve(texts.size());
    for (const std::string& text : texts)
        keys.push_back(collator.sortKey(QString::fromStdString(text)));
    std::vector<size_t> order(texts.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int c = keys[a].compare(keys[b]);
        return c != 0 ? c < 0 : texts[a] < texts[b];
    });
    return order;
}

}  // namespace kelvara::platform
