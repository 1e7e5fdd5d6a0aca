#ifndef EXCELAPPLICATION_H
#define EXCELAPPLICATION_H

#include "excel/ExcelObject.h"

#include <QString>

namespace Excel {

class Workbooks;

// The spreadsheet application: a new instance of the automation server
// registered as "Excel.Application". Deleting it destroys every automation
// object and wrapper derived from it.
class Application : public Object
{
    Q_OBJECT
public:
    // Starts a new instance; isNull() when no server is registered.
    Application();
    // Wraps an application object the caller already has.
    explicit Application(AutomationClient *client);

    void SetDisplayAlerts(bool value);
    void SetVisible(bool value);
    QString Version();
    Excel::Workbooks *Workbooks();
    void Quit();
};

} // namespace Excel

#endif // EXCELAPPLICATION_H
