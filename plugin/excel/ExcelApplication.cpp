#include "excel/ExcelApplication.h"

#include "AutomationClient.h"
#include "excel/ExcelWorkbooks.h"

namespace Excel {

Application::Application()
{
    own(new AutomationClient(QStringLiteral("Excel.Application")));
}

Application::Application(AutomationClient *client) : Object(client) {}

void Application::SetDisplayAlerts(bool value)
{
    if (client())
        client()->setProperty("DisplayAlerts", value);
}

void Application::SetVisible(bool value)
{
    if (client())
        client()->setProperty("Visible", value);
}

QString Application::Version()
{
    return client() ? client()->dynamicCall("Version()").toString() : QString();
}

Excel::Workbooks *Application::Workbooks()
{
    return new Excel::Workbooks(client() ? client()->querySubObject("Workbooks") : nullptr);
}

void Application::Quit()
{
    if (client())
        client()->dynamicCall("Quit()");
}

} // namespace Excel
