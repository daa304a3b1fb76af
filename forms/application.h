#pragma once

#include <QApplication>

namespace tembra {

// The program-wide path for unhandled errors: an error that escapes an event handler
// is reported in a message box, in plain words, and the program ends.
class Application final : public QApplication {
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // An unhandled error has been reported and the program is ending.
    bool failed() const { return m_failed; }

private:
    void fail(const QString &what);

    bool m_failed = false;
};

} // namespace tembra
