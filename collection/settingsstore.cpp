#include "collection/settingsstore.h"

#include <QSettings>

namespace tembra {

namespace {

QString key()
{
    return QStringLiteral("Settings/Text0");
}

} // namespace

SearchTextStore::SearchTextStore()
    : m_fileName(QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tembra"),
                           QStringLiteral("Tembra"))
                     .fileName())
{ }

SearchTextStore::SearchTextStore(const QString &fileName) : m_fileName(fileName) { }

QString SearchTextStore::read() const
{
    const QSettings settings(m_fileName, QSettings::IniFormat);
    return settings.value(key()).toString();
}

bool SearchTextStore::write(const QString &text, Error *error)
{
    QSettings settings(m_fileName, QSettings::IniFormat);
    settings.setValue(key(), text);
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        return fail(error, Error::SettingsNotWritten,
                    QStringLiteral("The search text could not be saved in %1 (%2).")
                        .arg(m_fileName,
                             settings.status() == QSettings::AccessError
                                 ? QStringLiteral("the file or its folder cannot be written")
                                 : QStringLiteral("the file is not a settings file")));
    }
    return true;
}

} // namespace tembra
