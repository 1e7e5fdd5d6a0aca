#ifndef NAMEDCHILD_H
#define NAMEDCHILD_H

#include <QObject>
#include <QString>

// The child of the given kind and object name; a missing one means the form
// changed under the test, which stops it at once.
template<typename T>
T *namedChild(const QObject *root, const char *name)
{
    T *child = root->findChild<T *>(QLatin1String(name));
    if (!child) {
        qFatal("no child named %s", name);
    }
    return child;
}

#endif // NAMEDCHILD_H
