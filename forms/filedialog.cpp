#include "forms/filedialog.h"

#include "base/texts.h"

#include <QApplication>
#include <QFileDialog>
#include <QHash>
#include <QTranslator>

namespace tembra {

namespace {

// The file dialog's own words, as the toolkit asks for them, in Sorani; every other text
// is left to the toolkit.
class FileDialogWords final : public QTranslator {
public:
    FileDialogWords()
    {
        const std::pair<const char *, QString> words[] = {
            {"Look in:", texts::dialogFolder()},
            {"Directory:", texts::dialogFolder()},
            {"File &name:", texts::dialogFileName()},
            {"Files of type:", texts::dialogFileType()},
            {"&Open", texts::openButton()},
            {"Open", texts::openButton()},
            {"&Choose", texts::chooseButton()},
            {"Cancel", texts::cancelCommand()},
            {"&Cancel", texts::cancelCommand()},
            {"OK", texts::okButton()},
            {"&OK", texts::okButton()},
            {"Back", texts::back()},
            {"Go back", texts::back()},
            {"Forward", texts::forward()},
            {"Go forward", texts::forward()},
            {"Parent Directory", texts::parentFolder()},
            {"Go to the parent directory", texts::parentFolder()},
            {"Create New Folder", texts::newFolder()},
            {"Create a New Folder", texts::newFolder()},
            {"&New Folder", texts::newFolder()},
            {"New Folder", texts::newFolder()},
            {"List View", texts::listView()},
            {"Change to list view mode", texts::listView()},
            {"Detail View", texts::detailView()},
            {"Change to detail view mode", texts::detailView()},
            {"&Rename", texts::renameCommand()},
            {"&Delete", texts::deleteCommand()},
            {"Show &hidden files", texts::showHiddenFiles()},
            {"Computer", texts::computerWord()},
            {"My Computer", texts::computerWord()},
            {"Recent Places", texts::recentPlaces()},
            {"Name", texts::nameWord()},
            {"Size", texts::sizeWord()},
            {"Type", texts::typeWord()},
            {"Kind", texts::typeWord()},
            {"Date Modified", texts::dateModifiedWord()},
            {"%1\nFile not found.\nPlease verify the correct file name was given.",
             QStringLiteral("%1\n") + texts::fileNotThere() + QLatin1Char('\n')
                 + texts::checkTheName()},
            {"%1\nDirectory not found.\nPlease verify the correct directory name was given.",
             QStringLiteral("%1\n") + texts::folderNotThere() + QLatin1Char('\n')
                 + texts::checkTheName()},
        };
        for (const auto &[english, sorani] : words)
            m_words.insert(QString::fromLatin1(english), sorani);
    }

    bool isEmpty() const override { return false; }

    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        static const char *const ours[]
            = {"QFileDialog", "QFileSystemModel", "QPlatformTheme", "QDialogButtonBox"};
        for (const char *name : ours) {
            if (qstrcmp(context, name) == 0)
                return m_words.value(QString::fromLatin1(sourceText));
        }
        return {};
    }

private:
    QHash<QString, QString> m_words;
};

} // namespace

QString chooseCollectionFile(QWidget *parent, const QString &folder)
{
    // Installed once, before the first dialog is made: the dialog takes its words as it is
    // made.
    static FileDialogWords *words = [] {
        auto *made = new FileDialogWords;
        QCoreApplication::installTranslator(made);
        return made;
    }();
    Q_UNUSED(words);
    QString title = texts::openCollection();
    title.remove(QChar(0x2026)); // a title asks nothing more
    QFileDialog dialog(parent, title, folder, texts::collectionFilter());
    dialog.setObjectName(QStringLiteral("CollectionDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.setLayoutDirection(Qt::RightToLeft);
    dialog.setLabelText(QFileDialog::LookIn, texts::dialogFolder());
    dialog.setLabelText(QFileDialog::FileName, texts::dialogFileName());
    dialog.setLabelText(QFileDialog::FileType, texts::dialogFileType());
    dialog.setLabelText(QFileDialog::Accept, texts::openButton());
    dialog.setLabelText(QFileDialog::Reject, texts::cancelCommand());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace tembra
