#ifndef READAHEAD_H
#define READAHEAD_H

#include <QByteArray>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class ZipPackage;

// Inflates an open entry of a package on a thread of its own, a few pieces
// ahead of whoever takes them, so that a save writing a sheet does not
// wait for the original part to inflate. Nothing else may read the package
// until the object goes. Where no thread can be had, each piece is read
// when it is taken.
class ReadAhead
{
public:
    static constexpr int PieceSize = 256 * 1024;

    explicit ReadAhead(const ZipPackage &package);
    // Stops the reading where it is.
    ~ReadAhead();
    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;

    // The next piece of the entry: empty at its end, false when the entry
    // cannot be read.
    bool next(QByteArray *piece);

private:
    static constexpr int MaxPieces = 8;
    void run();

    const ZipPackage &m_package;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QByteArray> m_pieces;
    bool m_ended = false;  // the last piece is queued
    bool m_failed = false; // the entry could not be read
    bool m_stopping = false;
    std::thread m_thread;
};

#endif // READAHEAD_H
