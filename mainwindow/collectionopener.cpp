#include "mainwindow/collectionopener.h"

#include "forms/filedialog.h"

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <memory>

namespace tembra {

namespace {

// The one local .mdb file that the drag carries; empty for anything else.
QString droppedCollection(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return {};
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile())
        return {};
    const QString path = url.toLocalFile();
    return path.endsWith(QLatin1String(".mdb"), Qt::CaseInsensitive) ? path : QString();
}

} // namespace

CollectionOpener::CollectionOpener(QWidget *window) : QObject(window), m_window(window)
{
    // Every control of the window passes a drop up to the window, but the boxes that take
    // text: the filter sees the drop wherever it goes.
    window->setAcceptDrops(true);
    qApp->installEventFilter(this);
}

CollectionOpener::~CollectionOpener()
{
    stop();
    if (m_busyShown)
        QApplication::restoreOverrideCursor();
}

void CollectionOpener::choose(const QString &current)
{
    const QString folder = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    const QString path = chooseCollectionFile(m_window, folder);
    if (!path.isEmpty())
        open(path);
}

void CollectionOpener::open(const QString &path)
{
    stop();
    m_path = path;
    m_reading = ChildRead::start(QFile::encodeName(path));
    const int generation = ++m_generation;
    if (!m_busyShown) {
        QApplication::setOverrideCursor(Qt::BusyCursor); // still a pointer: the window answers
        m_busyShown = true;
    }
    m_worker = std::thread([this, generation] {
        auto read = std::make_shared<Read>();
        read->ok = m_reading.collect(&read->table, &read->error);
        QMetaObject::invokeMethod(
            this, [this, generation, read] { finished(generation, read); }, Qt::QueuedConnection);
    });
}

void CollectionOpener::stop()
{
    if (!m_worker.joinable())
        return;
    m_reading.cancel();
    m_worker.join();
    m_reading = ChildRead();
    ++m_generation; // what the stopped read still says is not heard
}

void CollectionOpener::finished(int generation, const std::shared_ptr<Read> &read)
{
    if (generation != m_generation)
        return;
    m_worker.join();
    m_reading = ChildRead();
    if (m_busyShown) {
        QApplication::restoreOverrideCursor();
        m_busyShown = false;
    }
    if (read->ok)
        emit opened(m_path, read->table);
    else
        emit failed(m_path, read->error);
}

bool CollectionOpener::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != m_window)
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    const QString path = droppedCollection(drop->mimeData());
    if (path.isEmpty())
        return false;
    drop->acceptProposedAction();
    if (type == QEvent::Drop)
        open(path);
    return true;
}

} // namespace tembra
