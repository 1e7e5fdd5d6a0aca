#include "excel/ExcelObject.h"

#include "AutomationClient.h"

namespace Excel {

Object::Object(AutomationClient *client) : QObject(client), m_client(client) {}

Object::Object() = default;

void Object::own(AutomationClient *client)
{
    client->setParent(this);
    m_client = client;
}

Object::~Object()
{
    // When the client is being destroyed it takes this wrapper with it and
    // the pointer already reads null; otherwise the wrapper was deleted on
    // its own and releases the client it wrapped.
    if (m_client && m_client->parent() != this) {
        setParent(nullptr);
        delete m_client.data();
    }
}

bool Object::isNull() const
{
    return !m_client || m_client->isNull();
}

} // namespace Excel
