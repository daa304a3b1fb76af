#include "mainwindow/readinglook.h"

#include "forms/controls.h"

#include <QAbstractScrollArea>
#include <QFontDatabase>
#include <QFontInfo>

namespace tembra {

namespace {

// The night colours: the page a warm dark grey, the letters an off-white that does not glare,
// the selection a muted blue the letters stay readable on.
constexpr QRgb kNightPage = 0x22262A;
constexpr QRgb kNightAlternate = 0x2A2F34;
constexpr QRgb kNightLetters = 0xE4DED0;
constexpr QRgb kNightSelection = 0x44627F;
constexpr QRgb kNightButton = 0x30363C;

QPalette nightPalette(QPalette palette)
{
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, QColor(kNightPage));
        palette.setColor(group, QPalette::Window, QColor(kNightPage));
        palette.setColor(group, QPalette::AlternateBase, QColor(kNightAlternate));
        palette.setColor(group, QPalette::Text, QColor(kNightLetters));
        palette.setColor(group, QPalette::WindowText, QColor(kNightLetters));
        palette.setColor(group, QPalette::Button, QColor(kNightButton));
        palette.setColor(group, QPalette::ButtonText, QColor(kNightLetters));
        palette.setColor(group, QPalette::Highlight, QColor(kNightSelection));
        palette.setColor(group, QPalette::HighlightedText, QColor(Qt::white));
    }
    return palette;
}

} // namespace

ReadingLook::ReadingLook(TextBox *pane, const QList<QWidget *> &lists, Keep keep)
    : QObject(pane),
      m_pane(pane),
      m_lists(lists),
      m_keep(std::move(keep)),
      m_designFamily(pane->font().family()),
      m_designShown(QFontInfo(pane->font()).family())
{
    m_dayPalettes << pane->palette();
    for (QWidget *list : lists)
        m_dayPalettes << list->palette();
}

void ReadingLook::restore(bool night, bool marks, const QString &family)
{
    m_night = night;
    m_family = family;
    applyNight();
    m_pane->setMarksShown(marks);
    applyFamily();
}

bool ReadingLook::marksShown() const
{
    return m_pane->marksShown();
}

QString ReadingLook::shownFamily() const
{
    return QFontInfo(m_pane->font()).family();
}

void ReadingLook::setNight(bool on)
{
    if (on == m_night)
        return;
    m_night = on;
    applyNight();
    kept(Setting::NightAppearance, on);
}

void ReadingLook::setMarksShown(bool shown)
{
    if (shown == marksShown())
        return;
    m_pane->setMarksShown(shown);
    kept(Setting::ShowMarks, shown);
}

void ReadingLook::setFamily(const QString &family)
{
    // The design's own font chosen by its name is the design's font, kept as no choice.
    const QString chosen = family == m_designShown ? QString() : family;
    if (chosen == m_family)
        return;
    m_family = chosen;
    applyFamily();
    kept(Setting::PaneFont, chosen);
}

QStringList ReadingLook::arabicFamilies()
{
    QStringList families = QFontDatabase::families(QFontDatabase::Arabic);
    families.removeDuplicates();
    return families;
}

void ReadingLook::applyNight()
{
    QList<QWidget *> all{m_pane};
    all << m_lists;
    for (qsizetype i = 0; i < all.size(); ++i) {
        QWidget *widget = all[i];
        widget->setPalette(m_night ? nightPalette(m_dayPalettes[i]) : m_dayPalettes[i]);
        if (auto *area = qobject_cast<QAbstractScrollArea *>(widget))
            area->viewport()->update();
    }
}

// A family no longer installed leaves the design's font, as a missing font should.
void ReadingLook::applyFamily()
{
    QFont font = m_pane->font();
    const bool installed = !m_family.isEmpty() && QFontDatabase::hasFamily(m_family);
    font.setFamilies({installed ? m_family : m_designFamily});
    m_pane->setFont(font);
}

void ReadingLook::kept(Setting setting, const QVariant &value)
{
    Error error;
    if (!m_keep(setting, value, &error))
        emit notKept(error);
}

} // namespace tembra
