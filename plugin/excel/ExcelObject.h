#ifndef EXCELOBJECT_H
#define EXCELOBJECT_H

#include <QObject>
#include <QPointer>

#include "AutomationClient.h"

namespace Excel {

// What the six wrapper classes share: one automation client and its lifetime.
//
// A wrapper of a sub-object becomes a child of the client it wraps, and that
// client is a child of the client it came from. So deleting the Application
// wrapper (which owns the root client) deletes every client and every wrapper
// derived from it; nothing made during a file's run outlives the run.
// Deleting a sub-object wrapper earlier releases its client too, which is how
// a long cell walk keeps its memory flat.
class Object : public QObject
{
    Q_OBJECT
public:
    // Wraps client (null: the wrapper holds nothing).
    explicit Object(AutomationClient *client);
    ~Object() override;

    bool isNull() const;
    AutomationClient *client() const { return m_client.data(); }

protected:
    // For the Application wrapper, which owns its client as a child.
    Object();
    void own(AutomationClient *client);

private:
    QPointer<AutomationClient> m_client;
};

} // namespace Excel

#endif // EXCELOBJECT_H
