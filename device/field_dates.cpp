#include "device/field_dates.h"

namespace pelta::device {

namespace {

constexpr int kTwoDigitYearPivot = 30;  // below: 20xx, from here: 19xx

int FullYear(int year, qsizetype digits) {
    if (digits > 2) {
        return year;
    }
    return year < kTwoDigitYearPivot ? 2000 + year : 1900 + year;
}

}  // namespace

QString DateText(const QDate& date) {
    return date.toString(QStringLiteral("dd.MM.yy"));
}

QString TimeText(const QTime& time) {
    return time.toString(QStringLiteral("hh:mm:ss"));
}

QStringList WeekdayNames(const QLocale& locale) {
    QStringList names{locale.dayName(Qt::Sunday, QLocale::LongFormat)};
    for (int day = Qt::Monday; day <= Qt::Saturday; ++day) {
        names << locale.dayName(day, QLocale::LongFormat);
    }
    return names;
}

int WeekdayIndex(const QDate& date) {
    return date.dayOfWeek() % 7;
}

QDate DateFromText(const QString& text) {
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != 3) {
        return {};
    }
    bool dayOk = false;
    bool monthOk = false;
    bool yearOk = false;
    const int day = parts[0].toInt(&dayOk);
    const int month = parts[1].toInt(&monthOk);
    const int year = parts[2].toInt(&yearOk);
    const bool shapeOk = parts[2].size() == 2 || parts[2].size() == 4;
    if (!dayOk || !monthOk || !yearOk || !shapeOk || year < 0) {
        return {};
    }
    return QDate(FullYear(year, parts[2].size()), month, day);
}

}  // namespace pelta::device
