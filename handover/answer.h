#pragma once

// The parent's reading of the helper's answer (the messages are in wire.h): message by
// message, each exactly as long as its tag says, so that the files that come are known by
// the message they came with, and a length past its bound is refused as soon as it is read.

#include "base/error.h"
#include "base/uniquefd.h"
#include "handover/childreader.h"

#include <QElapsedTimer>
#include <QString>

#include <vector>

namespace tembra {

// The descriptors that came with the answer, closed when they go.
struct ReceivedFiles {
    std::vector<UniqueFd> fds;
    // The numbers, lent to whoever checks the files.
    std::vector<int> descriptors() const;
};

// The parent's end of the socket, read within the limits' bounds.
class AnswerReader final {
    Q_DISABLE_COPY_MOVE(AnswerReader)

public:
    enum Waited { Got, Stalled, TooLong, Cancelled, Closed, ReadFailed, StrayFiles };

    // fd is the socket, wake a descriptor that becomes readable when the read is
    // cancelled (or -1); the collection at file bounds how long the answer may take.
    AnswerReader(int fd, int wake, const ChildRead::Limits &limits, const QByteArray &file);

    // Reads size bytes. Files are taken only with the first byte of a message: those
    // come into *files when it is given; any other is closed at once, and StrayFiles
    // returned.
    Waited read(void *into, size_t size, std::vector<UniqueFd> *files = nullptr);
    // Whether nothing followed the answer, once the helper is gone and all it sent has
    // come. Files that did are closed.
    bool nothingMore();

    // The helper went further: the wait for progress starts again. The collection, read
    // once more if it changed, may meanwhile have grown, and its time with it.
    void progressed();

    qint64 largestFile() const;
    qint64 allowedMs() const;
    int readError() const { return m_readError; }

private:
    Waited waitForInput();

    const int m_fd;
    const int m_wake;
    const ChildRead::Limits m_limits;
    const QByteArray m_file;
    qint64 m_largest; // the collection's size, the largest seen
    QElapsedTimer m_sinceStart;
    QElapsedTimer m_sinceProgress;
    int m_readError = 0;
};

// The helper's answer as far as it was read.
struct Answer {
    enum State { Waiting, Done, Failed, Refused };
    State state = Waiting;
    AnswerReader::Waited waited = AnswerReader::Got; // what ended the reading, if not the answer
    quint32 recorded = 0; // Done: the rows Table1 records
    Error error; // Failed: what the helper's own checks found
    QString refusal; // Refused: why

    // Whether the helper gave its last message, a table or an error.
    bool ended() const { return state == Done || state == Failed; }
    bool refuse(const QString &why);
};

// Reads the messages up to the answer's end, or to what stops it; the table's files, with
// a Done answer, come into *files.
void readAnswer(AnswerReader &in, Answer *answer, ReceivedFiles *files);

// What a message that carries files it should not have is refused with.
QString strayFilesRefusal();

} // namespace tembra
