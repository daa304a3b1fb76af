#include "app/startup.h"

#include "collection/datacontrol.h"
#include "collection/texts.h"
#include "mainwindow/tembra1.h"

#include <QMetaObject>

namespace tembra {

QString collectionFile()
{
    QString path = texts::collectionPath();
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

void handOver(ChildRead &reading, DataControl *data)
{
    HadithTable table;
    Error error;
    if (reading.collect(&table, &error))
        data->setTable(std::move(table));
    else
        data->setOpenError(error);
}

Startup::Startup(ChildRead reading, QObject *parent)
    : QObject(parent), m_reading(std::move(reading))
{
    m_collector = std::thread([this] {
        m_readOk = m_reading.collect(&m_table, &m_error);
        QMetaObject::invokeMethod(this, &Startup::collectionRead, Qt::QueuedConnection);
    });
}

Startup::~Startup()
{
    m_reading.cancel(); // the program is closing: the rows are no longer wanted
    m_collector.join();
    delete m_window;
}

void Startup::collectionRead()
{
    m_read = true;
    showMainWindowWhenReady();
}

void Startup::splashDone()
{
    m_splashDone = true;
    showMainWindowWhenReady();
}

void Startup::showMainWindowWhenReady()
{
    if (!m_read || !m_splashDone || m_window)
        return;
    m_window = new Tembra1;
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    if (m_readOk)
        m_window->Adodc1->setTable(std::move(m_table));
    else
        m_window->Adodc1->setOpenError(m_error);
    m_window->show();
    if (onHandOver)
        onHandOver();
    if (onMainWindowShown)
        onMainWindowShown(m_window);
}

} // namespace tembra
