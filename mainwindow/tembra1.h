#pragma once

#include "collection/datacontrol.h"

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTableView;
class QFrame;

namespace tembra {

class Label;
class TextBox;
class ResultModel;

// The main window: the search box and button, the reading pane, the info labels bound
// to the current record, the count and the result grid, all over one data control.
class Tembra1 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Tembra1)

public:
    // The collection comes to the data control Adodc1 from outside; if it cannot be
    // read, the window says why once it is on screen.
    explicit Tembra1(QWidget *parent = nullptr);
    ~Tembra1() override;

    // Controls, by their design names (the tests reach them here).
    DataControl *Adodc1 = nullptr;
    Label *Label1 = nullptr; // Tab2, the hadith's number
    Label *Label2 = nullptr; // Tab3, its kind
    Label *Label3 = nullptr; // Tab5, its book
    TextBox *Label4 = nullptr; // Tab1, hidden
    Label *Label5 = nullptr; // Tab4, hidden
    Label *Label12 = nullptr; // the count
    TextBox *Text1 = nullptr; // the reading pane
    QLineEdit *Text2 = nullptr; // the search box
    QPushButton *Command1 = nullptr;
    QTableView *DataGrid1 = nullptr;

    QString searchTerm() const { return m_searchTerm; }
    bool collectionOpen() const { return Adodc1->isOpen(); }

    // Handlers
    void Text2_KeyDown(int &keyCode);
    void Text2_KeyPress(int &keyAscii);
    void Command1_Click();
    void Label4_Change();
    void Text1_Change();
    void Label1_Change();
    void Label2_Change();
    void Label3_Change();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void build();
    void search();
    void searchSteps();
    QString paneComposition() const;
    void highlightTerm();
    void currentChanged();
    void gridRowPicked(int row);
    void openFailed();
    void reportOpenError();

    ResultModel *m_model = nullptr;
    QString m_searchTerm;
    bool m_openFailed = false;
    bool m_openErrorShown = false;
    bool m_syncingGrid = false;
};

} // namespace tembra
