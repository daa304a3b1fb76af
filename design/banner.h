#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace tembra {

// The banner above the reading pane at the moment `now`: the heading, "Hijri :", the date
// in the Islamic civil calendar in the locale's short date format, five spaces and the time
// in the locale's time format with seconds. The locale is the system's if it is written in
// Arabic script, and Central Kurdish otherwise. The caller gives the clock's reading and the
// system's locale, so that a test can fix both.
QString bannerText(const QDateTime &now, const QLocale &system = QLocale());

} // namespace tembra
