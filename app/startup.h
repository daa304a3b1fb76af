#pragma once

#include "base/error.h"
#include "handover/childreader.h"
#include "search/hadithtable.h"
#include "search/tablesearch.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <thread>

namespace tembra {

class Tembra1;
class Tembra2;

// The program's start: the collection is read by its helper from the first moment, and
// the rows are taken in on a thread of their own while the splash window fades in. The
// main window is made and shown when both are done, the fade and the reading, so that
// it comes up with its first record; until then the splash stays.
class Startup final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Startup)

public:
    // reading reads the collection in file (its name as the window shows it).
    Startup(ChildRead reading, const QString &file, QObject *parent = nullptr);
    ~Startup() override;

    // Shows the splash window, which fades in and then hands over.
    void showSplash();
    // The splash window has faded in and hands over now (without a splash, at once).
    void splashDone();

    // Called with the main window once it is shown (the benchmark times this).
    std::function<void(Tembra1 *)> onMainWindowShown;

private:
    void collectionRead();
    void showMainWindowWhenReady();

    ChildRead m_reading;
    QString m_file;
    std::thread m_collector;
    HadithTable m_table;
    std::unique_ptr<TableSearch> m_search; // begun for m_table, until the window takes both
    Error m_error;
    bool m_readOk = false;
    bool m_read = false;
    bool m_splashDone = false;
    std::unique_ptr<Tembra1> m_window;
    std::unique_ptr<Tembra2> m_splash;
};

} // namespace tembra
