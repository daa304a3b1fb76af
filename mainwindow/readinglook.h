#pragma once

#include "base/error.h"
#include "settings/readersettings.h"

#include <QList>
#include <QObject>
#include <QPalette>
#include <QStringList>

#include <functional>

class QWidget;

namespace tembra {

class TextBox;

// How the reading pane and the lists look, for reading comfort: a night appearance (the pane
// and the lists light on dark; the rest of the window keeps the design's colours, its frame
// and caption bar being pictures), the vowel marks shown or hidden in the pane (only in what
// is shown: the search, the selection and a copy keep them), and the pane's font, one of the
// installed fonts that have Arabic letters (Amiri, the design's font here, unless the reader
// chose another). Each is kept in the settings file as soon as it changes.
class ReadingLook final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReadingLook)

public:
    // keep writes a setting where the next start finds it; false, with *error set, if it
    // could not.
    using Keep = std::function<bool(Setting setting, const QVariant &value, Error *error)>;
    // The pane, and the lists that go dark with it.
    ReadingLook(TextBox *pane, const QList<QWidget *> &lists, Keep keep);

    // Set as the settings file has them: shown, not kept again.
    void restore(bool night, bool marks, const QString &family);

    bool night() const { return m_night; }
    bool marksShown() const;
    // The pane's font family as chosen; empty for the design's.
    QString family() const { return m_family; }
    // The family the pane shows now.
    QString shownFamily() const;

    // The reader's choices: shown and kept.
    void setNight(bool on);
    void setMarksShown(bool shown);
    void setFamily(const QString &family);

    // The installed font families that have Arabic letters, by name.
    static QStringList arabicFamilies();

signals:
    // A choice could not be kept.
    void notKept(const Error &error);

private:
    void applyNight();
    void applyFamily();
    void kept(Setting setting, const QVariant &value);

    TextBox *m_pane;
    QList<QWidget *> m_lists;
    Keep m_keep;
    QList<QPalette> m_dayPalettes; // of the pane, then each list, as the design made them
    QString m_designFamily; // as the design names it ("Traditional Arabic")
    QString m_designShown; // the family that stands in for it here (Amiri)
    QString m_family;
    bool m_night = false;
};

} // namespace tembra
