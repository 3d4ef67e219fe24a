#include "platform/qt/locale_text.h"

#include <QCollator>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <numeric>
#include <unordered_map>

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
    // Plain 24-hour times with ASCII digits are written here: the locale's general formatter
    // costs more than everything else of a row.
    static const bool plainTime =
        timeFormat == QLatin1String("HH:mm:ss") && locale.zeroDigit() == QLatin1Char('0');
    // Packages share days: each day's text is formatted once (per thread, a bounded number).
    thread_local std::unordered_map<qint64, std::string> dayTexts;
    time_t t = RoundToDosResolution(modified);
    QDateTime dt = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(t));
    const QDate date = dt.date();
    auto day = dayTexts.find(date.toJulianDay());
    if (day == dayTexts.end()) {
        if (dayTexts.size() >= 4096)
            dayTexts.clear();
        day = dayTexts.emplace(date.toJulianDay(), locale.toString(date, dateFormat).toStdString())
                  .first;
    }
    std::string text = day->second;
    const QTime time = dt.time();
    if (time == QTime(0, 0, 0))
        return text;
    if (plainTime) {
        char clock[16];
        std::snprintf(clock, sizeof clock, " %02d:%02d:%02d", time.hour(), time.minute(),
                      time.second());
        return text + clock;
    }
    return text + ' ' + locale.toString(time, timeFormat).toStdString();
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
