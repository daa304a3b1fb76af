#include "app/startup.h"

#include "app/about1.h"
#include "app/tembra2.h"
#include "mainwindow/tembra1.h"
#include "search/tablesearch.h"

#include <QFileInfo>
#include <QMetaObject>

namespace tembra {

Startup::Startup(ChildRead reading, const QString &file, QObject *parent)
    : QObject(parent), m_reading(std::move(reading)), m_file(file)
{
    m_collector = std::thread([this] {
        m_readOk = m_reading.collect(&m_table, &m_error);
        // The search's copy is begun at once, while the splash still fades, rather than
        // when the window takes the table.
        if (m_readOk)
            m_search = std::make_unique<TableSearch>(m_table);
        QMetaObject::invokeMethod(this, &Startup::collectionRead, Qt::QueuedConnection);
    });
}

Startup::~Startup()
{
    if (m_collector.joinable()) {
        m_reading.cancel(); // the program is closing: the rows are no longer wanted
        m_collector.join();
    }
}

void Startup::showSplash()
{
    m_splash = std::make_unique<Tembra2>();
    connect(m_splash.get(), &Tembra2::handOver, this, &Startup::splashDone);
    m_splash->Form_Load();
    m_splash->show();
}

void Startup::collectionRead()
{
    // The collector's last step was to ask for this: it ends at once, and what it made is
    // this thread's from the join on, the table and the search with it.
    m_collector.join();
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
    m_window = std::make_unique<Tembra1>();
    m_window->setCollectionFile(m_file);
    Tembra1 *window = m_window.get();
    connect(window, &Tembra1::aboutRequested, window, [window] {
        // Loaded afresh at each opening, and gone once closed.
        About1 about;
        about.setCollection(QFileInfo(window->collectionPath()).absoluteFilePath(),
                            window->hadithCount(), window->bookCount());
        about.showModal();
    });
    if (m_readOk)
        m_window->setCollection(std::move(m_table), std::move(m_search));
    else
        m_window->setCollectionError(m_error);
    // The main window is shown before the splash goes, so that the program is never
    // without a window.
    m_window->show();
    if (m_splash) {
        // Gone once its own tick, which handed over, has ended.
        m_splash->close();
        m_splash.release()->deleteLater();
    }
    if (onMainWindowShown)
        onMainWindowShown(m_window.get());
}

} // namespace tembra
