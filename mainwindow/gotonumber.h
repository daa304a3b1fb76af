#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

namespace tembra {

class DataControl;

// Going to a hadith by its number (Ctrl+G): a book, the current one chosen first, and a
// number typed in any digits (٣٢٠٨, ۳۲۰۸ and 3208 are one number), its box holding the keys.
// Enter goes there; a number the book does not hold is said so under the boxes, and nothing
// else happens. Where a book holds a number twice, the first.
class GoToNumber final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GoToNumber)

public:
    // The hadiths are those of the collection the data control holds, whichever it is.
    GoToNumber(QWidget *reader, const DataControl *collection);

    // The collection is another: its books are the ones to choose from.
    void collectionChanged();
    // Asks for a book and a number, book (its place in the contents) chosen first.
    void ask(int book);

    QComboBox *books() const { return m_books; }
    QLineEdit *number() const { return m_number; }
    QLabel *notice() const { return m_notice; }

public slots:
    // The number typed, in the book chosen: found() it, or say it is not there.
    void accept() override;

signals:
    // The table's row of the hadith asked for.
    void found(int row);

private:
    QComboBox *m_books;
    QLineEdit *m_number;
    QLabel *m_notice;
    const DataControl *m_data;
};

} // namespace tembra
