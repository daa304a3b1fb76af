#include "mainwindow/gotonumber.h"

#include "base/texts.h"
#include "forms/controls.h"
#include "places/hadithnumber.h"
#include "search/datacontrol.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tembra {

GoToNumber::GoToNumber(QWidget *reader, const DataControl *collection)
    : QDialog(reader),
      m_books(new QComboBox(this)),
      m_number(new QLineEdit(this)),
      m_notice(new QLabel(this)),
      m_data(collection)
{
    setObjectName(QStringLiteral("GoToNumber"));
    setWindowTitle(texts::goToNumber());
    setLayoutDirection(Qt::RightToLeft);
    auto *column = new QVBoxLayout(this);
    auto *fields = new QFormLayout;
    column->addLayout(fields);
    m_books->setObjectName(QStringLiteral("GoToBook"));
    m_number->setObjectName(QStringLiteral("GoToNumberBox"));
    m_books->setAccessibleName(texts::bookWord());
    m_number->setAccessibleName(texts::numberWord());
    m_number->setAlignment(kRightAligned | Qt::AlignVCenter);
    m_number->setMaxLength(64);
    fields->addRow(texts::bookWord(), m_books);
    fields->addRow(texts::numberWord(), m_number);
    m_notice->setObjectName(QStringLiteral("GoToNotice"));
    m_notice->setAlignment(kRightAligned | Qt::AlignVCenter);
    m_notice->setStyleSheet(QStringLiteral("color: #A00000;"));
    m_notice->hide();
    column->addWidget(m_notice);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(texts::okButton(), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(texts::cancelCommand(), QDialogButtonBox::RejectRole);
    column->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &GoToNumber::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &GoToNumber::reject);
    // What was said of the last number goes once another is typed or another book chosen.
    connect(m_number, &QLineEdit::textEdited, m_notice, &QWidget::hide);
    connect(m_books, qOverload<int>(&QComboBox::activated), m_notice, &QWidget::hide);
    setMinimumWidth(420);
}

void GoToNumber::collectionChanged()
{
    m_books->clear();
    if (!m_data->isOpen())
        return;
    for (const Contents::Book &book : m_data->contents().books())
        m_books->addItem(book.name.value_or(QString()));
}

void GoToNumber::ask(int book)
{
    if (book >= 0 && book < m_books->count())
        m_books->setCurrentIndex(book);
    m_notice->hide();
    m_number->selectAll();
    show();
    raise();
    activateWindow();
    m_number->setFocus(Qt::ActiveWindowFocusReason);
}

void GoToNumber::accept()
{
    const int book = m_books->currentIndex();
    if (!m_data->isOpen() || book < 0 || m_number->text().trimmed().isEmpty())
        return;
    const int row = findNumber(*m_data->table(), m_data->contents(), book, m_number->text());
    if (row < 0) {
        m_notice->setText(texts::numberNotInBook());
        m_notice->show();
        m_number->selectAll();
        return;
    }
    QDialog::accept();
    emit found(row);
}

} // namespace tembra
