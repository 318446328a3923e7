#pragma once
// Dates and times as the window's masked fields show them, and the weekday list that starts on
// Sunday. Both fronts stage the controller's clock with these, so they live below the window.

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTime>

namespace pelta::device {

// "dd.mm.yy", the date layout of the masked fields.
QString DateText(const QDate& date);
// "hh:mm:ss", the long time layout of the masked fields.
QString TimeText(const QTime& time);

// The locale's full weekday names, Sunday first.
QStringList WeekdayNames(const QLocale& locale);
// Position of the date's weekday in that list: Sunday 0 to Saturday 6.
int WeekdayIndex(const QDate& date);

// "dd.mm.yy" or "dd.mm.yyyy" as a date; two-digit years 0-29 are 2000-2029 and 30-99 are
// 1930-1999. An invalid date (a day or month of zero, 31.02) gives a null date.
QDate DateFromText(const QString& text);

}  // namespace pelta::device
