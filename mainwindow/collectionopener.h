#pragma once

#include "base/error.h"
#include "handover/childreader.h"
#include "search/hadithtable.h"

#include <QObject>
#include <QString>

#include <thread>

class QWidget;

namespace tembra {

// Another collection, opened from inside the reader: chosen in the file dialog (Ctrl+O, or
// the caption bar's link), or a .mdb file dropped anywhere on the window. It is read as the
// one at the start is, by the reading helper, the rows taken in on a thread of their own so
// that the window goes on answering meanwhile; the collection in view stays until the new
// one is read, and stays if it cannot be. A second file asked for while one is read takes
// its place.
class CollectionOpener final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CollectionOpener)

public:
    explicit CollectionOpener(QWidget *window);
    ~CollectionOpener() override; // a read under way is stopped

    // The file dialog, from the folder of the collection in view.
    void choose(const QString &current);
    // Reads the collection at path.
    void open(const QString &path);
    bool reading() const { return m_worker.joinable(); }

signals:
    // Read whole; the table is the new collection's.
    void opened(const QString &path, const HadithTable &table);
    // It could not be read, and why (the collection in view is as it was).
    void failed(const QString &path, const Error &error);

protected:
    // A .mdb file dragged over the window is taken, wherever it is dropped.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Read {
        bool ok = false;
        HadithTable table;
        Error error;
    };
    void stop();
    void finished(int generation, const std::shared_ptr<Read> &read);

    QWidget *m_window;
    ChildRead m_reading;
    std::thread m_worker;
    QString m_path;
    int m_generation = 0;
    bool m_busyShown = false;
};

} // namespace tembra
