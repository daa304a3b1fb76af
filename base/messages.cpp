#include "base/messages.h"

#include "base/cuttext.h"
#include "base/texts.h"

namespace tembra {

QString reasonText(Error::Kind kind)
{
    switch (kind) {
    case Error::NoFile: return texts::reasonNoFile();
    case Error::NotAFile: return texts::reasonNotAFile();
    case Error::NotReadable: return texts::reasonNotReadable();
    case Error::NotJet: return texts::reasonNotJet();
    case Error::WrongVersion: return texts::reasonWrongVersion();
    case Error::NoTable: return texts::reasonNoTable();
    case Error::MissingColumn: return texts::reasonMissingColumn();
    case Error::Changed: return texts::reasonChanged();
    case Error::BadColumn: return texts::reasonBadColumn();
    case Error::NoMemory: return texts::reasonNoMemory();
    case Error::TooLarge: return texts::reasonTooLarge();
    case Error::HelperMissing: return texts::reasonHelperMissing();
    case Error::HelperStopped: return texts::reasonHelperStopped();
    case Error::HelperCrashed: return texts::reasonHelperCrashed();
    case Error::HelperKilled: return texts::reasonHelperKilled();
    case Error::HelperFailed: return texts::reasonHelperFailed();
    case Error::SettingsNotWritten: return texts::reasonSettingsNotWritten();
    case Error::SettingsNotOurs: return texts::reasonSettingsNotOurs();
    case Error::SettingsTooLarge: return texts::reasonSettingsTooLarge();
    case Error::BookmarksBad: return texts::bookmarksFileBad();
    case Error::MarkNotSaved: return texts::markNotSaved();
    case Error::NotAnExport: return texts::reasonNotAnExport();
    case Error::WriteFailed: return texts::reasonNotWritten();
    case Error::None: return {};
    default: return texts::reasonDamaged();
    }
}

namespace {

// The plain words and, under them, the Sorani detail when there is one. The technical
// detail is not for the reader's eyes; the program writes it to its error stream.
QString reasonAndDetail(const Error &error)
{
    QString text = reasonText(error.kind);
    if (!error.shown.isEmpty())
        text += QLatin1String("\n\n") + error.shown;
    return text;
}

} // namespace

// The reader's details leave the collection's path out, so that it is shown once, as the
// caller names it. A reader who meets this at the first start needs to know where the
// program looked and how to give it another collection.
QString openErrorMessage(const QString &path, const Error &error)
{
    QString text = texts::cannotOpen() + QLatin1Char('\n');
    if (error.kind == Error::NoFile)
        text += texts::lookedHere() + QLatin1Char('\n');
    return text + cutForShowing(texts::isolatedPath(path)) + QLatin1String("\n\n")
        + cutForShowing(reasonAndDetail(error)) + QLatin1String("\n\n") + texts::openAnother();
}

QString saveErrorMessage(const Error &error)
{
    return cutForShowing(texts::cannotSaveSearchText() + QLatin1Char('\n')
                         + reasonAndDetail(error));
}

QString optionSaveErrorMessage(const Error &error)
{
    return cutForShowing(texts::cannotSaveOption() + QLatin1Char('\n') + reasonAndDetail(error));
}

QString bookmarksErrorMessage(const Error &error)
{
    return cutForShowing(reasonAndDetail(error));
}

QString unhandledErrorMessage(const QString &what)
{
    return cutForShowing(texts::unhandledError() + QLatin1String("\n\n") + what);
}

} // namespace tembra
