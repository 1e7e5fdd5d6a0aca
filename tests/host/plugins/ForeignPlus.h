#ifndef FOREIGNPLUS_H
#define FOREIGNPLUS_H

#include <QObject>

// A Qt plug-in of some other system: it loads, but answers another interface.
class ForeignPlus : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.example.Foreign/1.0")
};

#endif // FOREIGNPLUS_H
