#include "design/banner.h"

#include "base/texts.h"

#include <QCalendar>

namespace tembra {

namespace {

// The locale's long time format without its time zone: the banner shows the time with its
// seconds (the short format drops them in most locales), and a zone name would only crowd it.
QString timeFormatWithoutZone(const QLocale &locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    bool dropSpace = false;
    for (const QChar ch : format) {
        if (dropSpace && ch.isSpace()) {
            dropSpace = false;
            continue;
        }
        dropSpace = false;
        if (ch == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || ch != QLatin1Char('t')) {
            result += ch;
            continue;
        }
        // The zone, written t in every locale's format, goes with the one space that set it
        // apart ("HH:mm:ss t", "t HH:mm:ss"); the locale's other spaces stay as they are.
        if (!result.isEmpty() && result.back().isSpace())
            result.chop(1);
        else
            dropSpace = true;
    }
    return result.trimmed();
}

} // namespace

QString bannerText(const QDateTime &now, const QLocale &system)
{
    static const QCalendar hijri(QCalendar::System::IslamicCivil);
    // A locale not written in Arabic script names the Hijri months in its own way ("27 Jum.
    // II 1448" in C) and reads wrongly in a Sorani line: the date and the time are then
    // given as Central Kurdish gives them.
    const QLocale locale = system.script() == QLocale::ArabicScript
        ? system
        : QLocale(QLocale::CentralKurdish, QLocale::Iraq);
    const QString date = locale.toString(now.date(), QLocale::ShortFormat, hijri).trimmed();
    const QString time = locale.toString(now.time(), timeFormatWithoutZone(locale)).trimmed();
    return texts::bannerHeading() + texts::hijriLabel() + date + texts::bannerSeparator() + time;
}

} // namespace tembra
