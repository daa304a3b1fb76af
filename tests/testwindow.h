#pragma once

// The helpers of the window tests: the main window's controls by their design names, a
// search run as the reader runs it, what the list shows, and whether a text the reader is
// shown is Sorani.

#include "forms/controls.h"
#include "mainwindow/tembra1.h"
#include "search/datacontrol.h"
#include "testutil.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextEdit>
#include <QTimer>

namespace testutil {

// Whether text has no Latin letter but in what may stay as it is: the paths given, the
// collection's "Book/Data.mdb" and its folder Book, the names Table1 and Tab1 .. Tab5, and
// the names of the file format (Access, Jet 4.0). What the reader is told is Sorani.
inline bool onlySorani(QString text, const QStringList &paths = {})
{
    for (const QString &path : paths)
        text.remove(path);
    text.remove(QStringLiteral("Book/Data.mdb"));
    // paths and commands, isolated left to right inside the Sorani line
    text.remove(QRegularExpression(QStringLiteral("\u2066[^\u2069]*\u2069")));
    text.remove(QRegularExpression(QStringLiteral("\\b(Table1|Tab[1-5]|Book|Access|Jet)\\b")));
    for (const QChar c : text) {
        if (c.isLetter() && c.script() == QChar::Script_Latin)
            return false;
    }
    return true;
}

// A control of a window by its design name, as the builder names every object.
template <typename T> T *control(const QObject &window, const char *name)
{
    T *found = window.findChild<T *>(QString::fromUtf8(name));
    if (!found)
        qFatal("the window has no control %s of that kind", name);
    return found;
}

// The main window's controls that the tests look at or act on.
struct Controls {
    explicit Controls(const QObject &w)
        : Adodc1(control<tembra::DataControl>(w, "Adodc1")),
          Label1(control<tembra::Label>(w, "Label1")),
          Label2(control<tembra::Label>(w, "Label2")),
          Label3(control<tembra::Label>(w, "Label3")),
          Label4(control<tembra::TextBox>(w, "Label4")),
          Label5(control<tembra::Label>(w, "Label5")),
          Label12(control<tembra::Label>(w, "Label12")),
          Label15(control<tembra::Label>(w, "Label15")),
          Label16(control<tembra::Label>(w, "Label16")),
          Label19(control<tembra::Label>(w, "Label19")),
          La1(control<tembra::Label>(w, "La1")),
          La2(control<tembra::Label>(w, "La2")),
          La3(control<tembra::Label>(w, "La3")),
          Mini(control<tembra::Label>(w, "Mini")),
          Text1(control<tembra::TextBox>(w, "Text1")),
          Text2(control<QLineEdit>(w, "Text2")),
          RichTextBox1(control<QTextEdit>(w, "RichTextBox1")),
          Command1(control<QPushButton>(w, "Command1")),
          DataGrid1(control<tembra::Grid>(w, "DataGrid1")),
          Pic1(control<tembra::Panel>(w, "Pic1")),
          Timer2(control<QTimer>(w, "Timer2"))
    { }
    tembra::DataControl *Adodc1;
    tembra::Label *Label1, *Label2, *Label3;
    tembra::TextBox *Label4;
    tembra::Label *Label5, *Label12, *Label15, *Label16, *Label19, *La1, *La2, *La3, *Mini;
    tembra::TextBox *Text1;
    QLineEdit *Text2;
    QTextEdit *RichTextBox1;
    QPushButton *Command1;
    tembra::Grid *DataGrid1;
    tembra::Panel *Pic1;
    QTimer *Timer2;
};

// The text typed into the search box and the search button pressed.
inline void search(tembra::Tembra1 &w, const QString &text)
{
    Controls(w).Text2->setText(text);
    w.Command1_Click();
}

// The hadith texts the list shows, top to bottom.
inline QStringList listedTexts(const QObject &w)
{
    const QAbstractItemModel *model = Controls(w).DataGrid1->model();
    QStringList found;
    for (int r = 0; r < model->rowCount(); ++r)
        found << model->index(r, model->columnCount() - 1).data().toString();
    return found;
}

} // namespace testutil
